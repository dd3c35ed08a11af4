#pragma once
// Dialect steps: statements are written once, in the program's own form, and each
// engine's step turns them into what that engine runs correctly:
//   - date literals #dd-mmm-yyyy#, 'dd-mmm-yyyy', #dd-mmm-yyyy hh:mm#, 'dd-mmm-yyyy hh:mm'
//     become the engine's date-time form, so they compare right with stored date-times;
//     on SQLite, whose date-times are text, "column between <date> and <date>" compares
//     instants, so every stored form of a date-time (" " or "T", fractional seconds)
//     falls inside or outside the range the same way;
//   - "... order by date_time;union select ... order by date_time;" (several selects, each
//     ordered and ended by ";", joined by "union") becomes one UNION with one final
//     ORDER BY, the only form SQL engines accept;
//   - workbook sheet names [name$] become the table name in the engine's quoting.
// Text inside other string literals is never touched.
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace tidemark {

enum class SqlDialect {
    SQLite,      // 'YYYY-MM-DD HH:MM:SS' text, [name] quoting
    PostgreSQL,  // TIMESTAMP 'YYYY-MM-DD HH:MM:SS', no brackets
    OdbcEscape,  // {ts 'YYYY-MM-DD HH:MM:SS'}, brackets kept (any other ODBC source)
    MySql,       // {ts 'YYYY-MM-DD HH:MM:SS'}, `name` quoting (MariaDB and MySQL)
};

std::string SqliteDialect(std::string_view statement);
std::string PostgresDialect(std::string_view statement);
// ODBC sources get the dialect of the engine behind the driver: dbmsName is what the
// driver reports as its database system (or, failing that, the driver's name).
std::string OdbcDialect(std::string_view statement, std::string_view dbmsName);

SqlDialect OdbcDialectFor(std::string_view dbmsName);
std::string ApplyDialect(SqlDialect dialect, std::string_view statement);

// On SQLite a window from midnight to midnight is, in the text order of the key, two
// ranges: every form of its days up to the space forms of the last midnight, then that
// midnight's "T" forms, which sort after the whole last day's space forms. As one
// statement it costs a comparison on every row; run as two, one after the other, each
// is a plain range of the key and their rows together are the statement's rows in its
// order. That holds for a statement that reads plain columns of one table, with the
// window one of the conditions that must all hold and its rows ordered by the window's
// column (the series statements); for any other this gives nothing.
struct SqliteKeyRanges {
    std::string table;   // as named, without quoting
    std::string column;  // the window's column, without a table before it
    std::string first;   // the statement over the first range, in SQLite's form
    std::string second;  // the same over the second
};
std::optional<SqliteKeyRanges> SplitSqliteWindow(std::string_view statement);

// True when the text holds more than one command (a ";" outside literals followed by
// more than blanks). Engines differ in what they do with the rest (ignore it, or run
// it), so such texts are refused before they reach an engine.
bool HasSeveralStatements(std::string_view statement);

// The statement in the dialect's form when an engine may be given it: one command, and
// one that reads.
Result<std::string> RunnableStatement(SqlDialect dialect, std::string_view statement);

// True when the statement starts with SELECT or WITH (after blanks and "("): the only
// statements the program runs.
bool IsReadingStatement(std::string_view statement);

}  // namespace tidemark
