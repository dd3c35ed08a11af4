#pragma once
// Setup files for tests that load a program folder: the top section for the SQLite file
// "tidemark.db" of the folder, then the given page lines, then "END".
#include <string>
#include <vector>

namespace tidemark::testsupport {

// The True/False lines of the top section a test may turn on.
struct SetupSwitches {
    bool plotUnitValues = false;      // line 2
    bool includeDailyMaxMin = false;  // line 3
};

std::string SqliteSetupText(int days, int endday, const std::vector<std::string>& pageLines,
                            const SetupSwitches& switches = {});

}  // namespace tidemark::testsupport
