#pragma once
// Which engine a completed connection string names, and with what settings.
//   Provider=SQLite;Data Source=FILE                        -> SQLite file, opened read-only
//   Provider=PostgreSQL;Host=H;Port=P;Database=D;User Id=U;Password=W
//   Driver=...;... or DSN=...;...                           -> ODBC, passed on unchanged
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=X.mdb|accdb    -> Access file
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=X.xls|xlsx     -> Excel workbook (HDR=No: no header row)
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "core/result.h"

namespace tidemark {

// key=value pairs separated by ";". Keys are trimmed; values keep inner blanks but lose
// the outer ones; a value may be wrapped in {...} or "..." to hold ";" (the wrapper is
// kept, as ODBC drivers expect it).
std::vector<std::pair<std::string, std::string>> SplitConnectionString(const std::string& text);

// Value of the first key equal to any of the names (letter case ignored), or "".
std::string ConnectionValue(const std::vector<std::pair<std::string, std::string>>& pairs,
                            std::initializer_list<const char*> names);

// The string with every password value replaced by "***", for messages.
std::string RedactConnectionString(const std::string& text);

// A load at start has no page to show yet and may wait for a writer as long as the
// engine's own default; reads while a page is shown must not hold the window longer than
// a blink.
inline constexpr std::chrono::milliseconds kPatientLockWait{5000};
inline constexpr std::chrono::milliseconds kBriefLockWait{250};

struct ConnectionTarget {
    enum class Kind { SQLite, PostgreSQL, Odbc, AccessFile, Workbook };
    Kind kind = Kind::SQLite;

    std::string file;       // SQLite, Access, workbook: absolute or program-folder-relative path made whole
    bool headerRow = true;  // workbook: the first row names the columns

    std::string host;  // PostgreSQL
    int port = 5432;
    std::string database;
    std::string user;
    std::string password;

    std::string odbc;  // ODBC: the connection string as given

    // How long a statement waits for another process's lock on an SQLite file before it
    // fails with "database is locked".
    std::chrono::milliseconds lockWait = kPatientLockWait;
};

// Works out the target; strings naming no engine served here (other providers, Jet
// strings naming a file of another kind, text without key=value pairs) give a message that says what is wrong.
// programFolder ends with "/"; relative database files are taken relative to it.
Result<ConnectionTarget> ResolveConnectionString(const std::string& connectionString, const std::string& programFolder);

// The string an ODBC driver is handed: the given one, with `extraPair` ("Key=value")
// added when not empty, and no ";" at the end - some drivers (MariaDB's) refuse one
// while every driver takes the string without it.
std::string OdbcConnectString(const std::string& given, const std::string& extraPair = {});

}  // namespace tidemark
