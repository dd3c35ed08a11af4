#pragma once
// Workbooks for tests, written by Debian's python modules (openpyxl for .xlsx, xlwt for
// .xls) from the tables of a SQLite database: one sheet per table, column names in the
// first row, date_time columns as Excel dates.
#include <string>

namespace tidemark::testsupport {

// Writes the workbook (its format from the extension); false with a message on failure.
bool WriteWorkbookFromSqlite(const std::string& sqlitePath, const std::string& workbookPath,
                             std::string* error = nullptr);

}  // namespace tidemark::testsupport
