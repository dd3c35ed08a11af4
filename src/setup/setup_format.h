#pragma once
// How values look in the setup file: numbers as the runtime prints them (a space or a
// minus sign before, one space after), booleans as True/False, and the fixed header.
#include <cstdint>
#include <string>
#include <string_view>

namespace tidemark {

inline constexpr const char* kSetupHeaderLine =
    "Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; "
    "logyscale; backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; "
    "rank-1/cumulative2; freq type -1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3";

// " 7 ", "-1 ", " 1.5 ", " .25 ".
std::string FileNumber(double x);
// A single-precision value with the fewest digits that read back to the same value.
std::string FileSingle(float x);
const char* FileBool(bool b);

// Text put into a ";"-separated line: ";" would split the field and a line break would
// split the line, so ";" becomes "," and CR, LF and TAB become spaces.
std::string FieldText(std::string_view text);
// Text of a top-section line: only line breaks and TABs are replaced.
std::string LineText(std::string_view text);

// A web screen shows an HTML page (scriptable, with a scroll position) unless its
// address names a PDF file or a spreadsheet.
bool IsHtmlAddress(std::string_view address);

}  // namespace tidemark
