#pragma once
// Setup files for tests that load a program folder: the top section for the SQLite file
// "tidemark.db" of the folder, then the given page lines, then "END".
#include <string>
#include <vector>

namespace tidemark::testsupport {

std::string SqliteSetupText(int days, int endday, const std::vector<std::string>& pageLines);

}  // namespace tidemark::testsupport
