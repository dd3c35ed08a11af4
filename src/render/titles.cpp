#include "render/titles.h"

#include <string_view>

#include "core/color.h"
#include "core/daynum.h"
#include "core/vbtext.h"

namespace tidemark {

bool IsDirectionUnit(const std::string& unit) { return LCase(unit) == "direction"; }

std::string CompassName(double quarterTurns) {
    double k = RoundHalfEven(quarterTurns * 4);
    // Outside the table there is no name; the caller shows the number instead.
    if (!(k >= 0 && k <= 16)) return {};
    std::string_view table(kCompassTable);
    return Trim(table.substr(static_cast<size_t>(k) * 6, 6));
}

double ShownCurrentValue(double currentValue, double currentTime, double now, bool historicalStart) {
    if (!historicalStart && HourBoundaries(currentTime, now) > 2) return kMissing;
    return currentValue;
}

std::string ValueText(double value, const std::string& unit) {
    std::string text = CStr(value);
    if (Val(text) == kMissing) return "Missing";
    if (IsDirectionUnit(unit) && value > -1) {
        std::string name = CompassName(value);
        if (!name.empty()) return name;
    }
    return text;
}

std::string TitleText(const std::string& stationname, double value, const std::string& unit, double currentTime) {
    // A series without a value has no time either: day 0 is no date to show.
    std::string when = currentTime == 0 ? std::string() : FormatDate(currentTime, " Mmm dd h:mm ampm");
    return stationname + "\r\n" + ValueText(value, unit) + " " + unit + when;
}

}  // namespace tidemark
