#include "support/setup_text.h"

#include "core/textfile.h"
#include "setup/setup_format.h"

namespace tidemark::testsupport {

namespace {

const char* TrueFalse(bool on) { return on ? "True" : "False"; }

}  // namespace

std::string SqliteSetupText(int days, int endday, const std::vector<std::string>& pageLines,
                            const SetupSwitches& switches) {
    std::vector<std::string> lines = {
        "Days = " + std::to_string(days) + " ; End Day +" + std::to_string(endday),
        std::string("Plot Unit Values = ") + TrueFalse(switches.plotUnitValues),
        std::string("Include Daily Max/Min = ") + TrueFalse(switches.includeDailyMaxMin),
        std::string("Big Current Value = ") + TrueFalse(switches.bigCurrentValue),
        "Auto Paging = " + switches.autoPaging,
        "Font Names & Pen Widths = " + switches.fontName + ", " + switches.fontName +
            (switches.penWidths ? ", 1, 1" : ""),
        "Database Connection String= " + switches.connection,
        "",
        "Start Up= " + switches.startUp,
        "Metric Units=False",
        "",
        kSetupHeaderLine,
    };
    lines.insert(lines.end(), pageLines.begin(), pageLines.end());
    lines.push_back("END");
    return JoinLinesCrLf(lines);
}

}  // namespace tidemark::testsupport
