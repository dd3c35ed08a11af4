#pragma once
// Setup files for tests that load a program folder: the top section for the SQLite file
// "tidemark.db" of the folder, then the given page lines, then "END".
#include <string>
#include <vector>

namespace tidemark::testsupport {

// What a test may change in the top section.
struct SetupSwitches {
    bool plotUnitValues = false;      // line 2
    bool includeDailyMaxMin = false;  // line 3
    bool penWidths = true;            // line 6 gives widths of 1 pixel; off: none
};

std::string SqliteSetupText(int days, int endday, const std::vector<std::string>& pageLines,
                            const SetupSwitches& switches = {});

}  // namespace tidemark::testsupport
