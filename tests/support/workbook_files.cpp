#include "support/workbook_files.h"

#include "support/run_program.h"

namespace tidemark::testsupport {

bool WriteWorkbookFromSqlite(const std::string& sqlitePath, const std::string& workbookPath, std::string* error) {
    // Debian's python modules are found by Debian's interpreter, not another first on PATH.
    ProgramResult r = RunProgram({"/usr/bin/python3", std::string(TIDEMARK_TEST_SUPPORT_DIR) + "/sqlite_to_workbook.py",
                                  sqlitePath, workbookPath},
                                 workbookPath + ".log", 300);
    if (r.exitCode == 0) return true;
    if (error) *error = "Writing " + workbookPath + " failed: " + r.output;
    return false;
}

}  // namespace tidemark::testsupport
