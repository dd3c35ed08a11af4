#pragma once
// Text forms of numbers as the program shows and reads them back. Rounding of
// displayed values goes through these so that what is stored is what is shown.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tidemark {

// General number-to-text conversion: up to 15 significant digits, a leading space for
// values that are not negative, no zero before the point of magnitudes below 1
// (" .25"), and E notation for very large and very small magnitudes (" 1.5E-07").
std::string Str(double x);

// Plain decimal text: up to 15 significant digits, no leading space, "0.25" with its
// leading zero, E notation for the same magnitudes as Str.
std::string CStr(double x);

// Lenient leading number: leading blanks skipped, optional sign, digits with one
// optional decimal point and an optional exponent; anything else ends the number;
// no number gives 0. "5min" gives 5, "abc" gives 0.
double Val(std::string_view text);
// Val's number without its last step: a number beyond a double's range (e.g. "1e999")
// gives an infinity instead of 0, so a field that must fit can refuse it.
double ValUnbounded(std::string_view text);

// Strict conversions: the whole text (blanks around it allowed) must be a number.
// Fractions are rounded halves-to-even; out-of-range values fail.
std::optional<int16_t> ParseInt16(std::string_view text);
std::optional<int32_t> ParseInt32(std::string_view text);
std::optional<float> ParseSingle(std::string_view text);
std::optional<double> ParseDouble(std::string_view text);

// Halves-to-even rounding to a whole number. CInt fails (nullopt) outside int16.
std::optional<int16_t> CInt(double x);
std::optional<int32_t> CLng(double x);
double RoundHalfEven(double x);
// Round(x, n): halves to even at the n-th decimal.
double Round(double x, int decimals = 0);
// Int: the largest whole number not above x.
double Int(double x);

// Number masks: "#0.##", "0.##", "#0.####", "########0", "#######0.0", "########0.00",
// "########0.000", "0", "0.0", "0.00", "0%" and any mask of the same shape
// ("#" and "0" digits, an optional "." with "0"/"#" decimals, an optional "%").
// Halves are rounded away from zero at the last kept digit.
std::string Format(double x, std::string_view mask);

// Formats and reads back: what a value becomes once shown with that mask.
double FormatRound(double x, std::string_view mask);

// Date masks: "dd-mmm-yyyy", "dd-mmm-yyyy hh:mm", "mmmdd", "mmmdd hh:mm", "mmm-dd hh:mm",
// "mmm-dd-yyyy", "dd hh:mm ", " Mmm dd h:mm ampm", " yyyy-mmm-dd", "hh:mm AMPM" and
// other combinations of the tokens yyyy, yy, mmm, mm, m, dd, d, hh, h, nn, ss, AMPM.
// "mm" right after an hour token means minutes. With AMPM the hour runs 1 to 12.
// Month names are English whatever the locale.
std::string FormatDate(double day, std::string_view mask);

// String helpers in the runtime's sense.
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
std::string Trim(std::string_view s);        // spaces only, as the runtime's Trim
std::string TrimBlanks(std::string_view s);  // spaces, tabs, CR and LF
bool StartsWith(std::string_view s, std::string_view prefix);
bool Contains(std::string_view s, std::string_view part);
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

}  // namespace tidemark
