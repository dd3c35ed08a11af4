#pragma once
// A graph's current value and title text: the station name over the latest value with
// its unit and time, "Missing" when that value is stale, compass names for wind
// directions.
#include <string>

namespace tidemark {

// The 17 compass names in fields of 6 characters; field k names k x 22.5 degrees.
inline constexpr const char* kCompassTable =
    " North NNE   NE    ENE   East  ESE   SE    SSE   South SSW   SW    WSW   West  WNW   NW    NNW   North";

// A unit label naming wind directions (values in quarter turns: 0 north, 1 east, ...).
bool IsDirectionUnit(const std::string& unit);

// The compass name of a direction in quarter turns, or empty when the direction lies
// outside the table (below -1/8 or above 4 1/8 of a turn).
std::string CompassName(double quarterTurns);

// The value a graph shows: -9999 when its time lies more than 2 hour boundaries before
// now, unless past data is being shown (historical start).
double ShownCurrentValue(double currentValue, double currentTime, double now, bool historicalStart);

// The value as the title shows it: plain decimal text, "Missing", or a compass name.
std::string ValueText(double value, const std::string& unit);

// "station CR LF value unit" followed by the time as " Mmm dd h:mm ampm".
std::string TitleText(const std::string& stationname, double value, const std::string& unit, double currentTime);

}  // namespace tidemark
