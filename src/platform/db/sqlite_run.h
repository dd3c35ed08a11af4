#pragma once
// Running one statement on a SQLite handle of the library itself, shared by the SQLite
// file connections and the in-memory copies of Access files and workbooks.
#include <string>

#include "platform/db/db_result.h"
#include "platform/db/recordset.h"

struct sqlite3;

namespace tidemark {

// The library's message, trimmed to its first line like the other engines' messages.
std::string SqliteErrorText(sqlite3* db);

// Runs a statement (program text) on the handle and reads all its rows; SQLite's UTF-8
// text comes back as program text.
DbResult<Recordset> RunOnSqlite(sqlite3* db, const std::string& sql);

}  // namespace tidemark
