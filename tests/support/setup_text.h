#pragma once
// Setup files for tests that load a program folder: the top section for the SQLite file
// "tidemark.db" of the folder, then the given page lines, then "END".
#include <string>
#include <vector>

namespace tidemark::testsupport {

// What a test may change in the top section.
struct SetupSwitches {
    bool plotUnitValues = false;            // line 2
    bool includeDailyMaxMin = false;        // line 3
    bool penWidths = true;                  // line 6 gives widths of 1 pixel; off: none
    bool bigCurrentValue = false;           // line 4
    std::string fontName = "Arial";         // line 6, for titles and axes
    std::string startUp = "0,0,800,600,0";  // line 9: top, left, width, height, state
    std::string autoPaging = "False, 5";    // line 5: on, seconds per page
    // Line 7 after "Database Connection String= ".
    std::string connection = "Provider=SQLite;Data Source=tidemark.db";
};

std::string SqliteSetupText(int days, int endday, const std::vector<std::string>& pageLines,
                            const SetupSwitches& switches = {});

}  // namespace tidemark::testsupport
