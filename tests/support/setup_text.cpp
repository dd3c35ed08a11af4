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
        "Big Current Value = False",
        "Auto Paging = False, 5",
        switches.penWidths ? "Font Names & Pen Widths = Arial, Arial, 1, 1" : "Font Names & Pen Widths = Arial, Arial",
        "Database Connection String= Provider=SQLite;Data Source=tidemark.db",
        "",
        "Start Up= 0,0,800,600,0",
        "Metric Units=False",
        "",
        kSetupHeaderLine,
    };
    lines.insert(lines.end(), pageLines.begin(), pageLines.end());
    lines.push_back("END");
    return JoinLinesCrLf(lines);
}

}  // namespace tidemark::testsupport
