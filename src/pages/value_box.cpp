#include "pages/value_box.h"

#include <cmath>

#include "core/color.h"
#include "core/vbtext.h"

namespace tidemark {

std::string UnitAbbreviation(std::string_view unitName) {
    std::string abbreviation = LCase(Trim(unitName.substr(0, 3)));
    // The order matters: "in" (inches of mercury on barometers) is handled before
    // "inc" (inches of rain) turns into "in".
    if (abbreviation == "in") abbreviation = "hg";
    if (abbreviation == "inc") abbreviation = "in";
    if (abbreviation.find('%') != std::string::npos) abbreviation = "%";
    if (abbreviation == "mg/") abbreviation = "mgl";
    if (abbreviation == "std") abbreviation = "ph";
    if (abbreviation == "gag") abbreviation = "g/r";
    if (abbreviation == "yea") abbreviation = "yr";
    return abbreviation;
}

std::optional<std::string> CompassPoint(double quarterTurns) {
    std::string name = CompassName(quarterTurns);
    if (name.empty()) return std::nullopt;
    return name;
}

std::string CurrentValueText(double currentValue, std::string_view unitName) {
    if (IsMissing(currentValue)) return "Missing";
    if (IsDirectionUnit(std::string(unitName)) && currentValue > -1) {
        if (auto name = CompassPoint(currentValue)) return *name;
    }
    return CStr(currentValue) + UnitAbbreviation(unitName);
}

int32_t ContrastColor(int32_t backcolor) { return backcolor == 0 ? kWhite : kBlack; }

int32_t TitleColor(std::string_view title, int32_t contrastColor) {
    return Contains(UCase(title), "MISSING") ? kTitleMissingRed : contrastColor;
}

int32_t CurrentValueColor(int32_t back2color) {
    Rgb wall = SplitColor(back2color);
    bool light = wall.red > 150 || wall.green > 150 || wall.blue > 150;
    return light ? kBlack : kValueLightGrey;
}

}  // namespace tidemark
