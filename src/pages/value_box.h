#pragma once
// Texts and colours of a graph's large current-value box and of its chart's title and
// axes: the short unit written after the value, compass names for wind directions, and
// the colours that keep text readable on the graph's backgrounds.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "render/titles.h"

namespace tidemark {

// Short unit written directly after a current value: the label's first three
// characters, trimmed and lower-cased, then the fixed replacements, each applied to the
// result of the ones before ("in" -> "hg", "inc" -> "in", anything with "%" -> "%",
// "mg/" -> "mgl", "std" -> "ph", "gag" -> "g/r", "yea" -> "yr").
std::string UnitAbbreviation(std::string_view unitName);

// Compass name of a direction in quarter turns (0 north, 1 east, 2 south, 3 west,
// 4 north): one of 17 sixteenth-circle fields, the nearest one with halves to even.
// No name for a value whose field lies outside the table (below -0.125 or above 4.125,
// or not a number): such a value is not a direction and is shown as a number.
std::optional<std::string> CompassPoint(double quarterTurns);

// The large current-value text: the value as plain decimal text followed by the unit
// abbreviation ("12.3ft"); on a direction graph with a value above -1 the compass name.
// A missing value (-9999) reads "Missing" rather than passing the marker off as a reading.
std::string CurrentValueText(double currentValue, std::string_view unitName);

inline constexpr int32_t kWhite = 0xFFFFFF;
inline constexpr int32_t kBlack = 0;
inline constexpr int32_t kTitleMissingRed = 0x0000FF;  // red 255, green 0, blue 0
inline constexpr int32_t kValueLightGrey = 0xEFEFEF;

// Text colour on a chart backdrop: white on black, black on anything else.
int32_t ContrastColor(int32_t backcolor);

// Title colour: red when the title reports a missing value, else the contrast colour.
int32_t TitleColor(std::string_view title, int32_t contrastColor);

// Current-value text colour over the plot wall: black when any colour byte of the wall
// is above 150, else light grey.
int32_t CurrentValueColor(int32_t back2color);

}  // namespace tidemark
