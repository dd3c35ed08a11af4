#pragma once
// Running one statement on a SQLite handle of the library itself, shared by the SQLite
// file connections and the in-memory copies of Access files and workbooks.
#include <string>
#include <vector>

#include "core/result.h"
#include "storage/db/recordset.h"
#include "storage/db/series_rows.h"

struct sqlite3;

namespace tidemark {

// The library's message, trimmed to its first line like the other engines' messages.
std::string SqliteErrorText(sqlite3* db);

// Runs a statement (program text) on the handle and reads all its rows; SQLite's UTF-8
// text comes back as program text.
Result<Recordset> RunOnSqlite(sqlite3* db, const std::string& sql);

// Runs a series statement on the handle: rows whose second field is a stored date-time
// (or a number) and whose third is a number are read straight into day numbers and
// values; from the first row that is not, the rows are kept as RunOnSqlite keeps them.
Result<SeriesRows> RunSeriesOnSqlite(sqlite3* db, const std::string& sql);
// The same for statements run one after the other, their rows read as one series.
Result<SeriesRows> RunSeriesOnSqlite(sqlite3* db, const std::vector<std::string>& commands);

// True when the column is one of the table's primary key columns (false for a table or
// column the database does not have).
bool IsSqliteKeyColumn(sqlite3* db, const std::string& table, const std::string& column);

}  // namespace tidemark
