#pragma once
// How the connection string of the setup file is completed, what kind of database it
// names, and how a statement is adapted to that kind. Pure text rules; opening the
// database is elsewhere.
#include <string>
#include <string_view>
#include <vector>

#include "setup/setup_model.h"

namespace tidemark {

// The string used when line 7 names no data source: the companion loader's database,
// in the program folder's path with every "Tidemark" made "Ledgerly".
std::string DefaultConnectionString(const std::string& programFolder);

// Line 7's trimmed text, or the default when fewer than 10 characters follow the start
// of "Source" (counted from "Source" itself; the whole string when it is absent).
std::string CompleteConnectionString(const std::string& trimmed, const std::string& programFolder);

struct ConnectionKind {
    bool excelmode = false;   // the string names Excel: tables are sheets
    bool quotedates = false;  // neither Jet, Access nor Excel: dates go between "'"
};

// Recognises the kind; an Excel string without "HDR=" gains "HDR=Yes;".
ConnectionKind RecogniseConnectionKind(std::string& connectionstring);

// Both steps on the settings: completes settings.connectionstring and sets excelmode
// and quotedates.
void ApplyConnectionRules(SetupSettings& settings, const std::string& programFolder);

// The tables statements read; only these names are turned into sheet names.
inline const std::vector<std::string>& KnownTables() {
    static const std::vector<std::string> tables{"rsite", "runit", "rhour", "rday", "rdaymax", "rdaymin", "rupdate"};
    return tables;
}

// Adapts a statement: in Excel mode each of `tables` (the tables the statement reads)
// becomes its sheet form "[name$]"; with quotedates every "#" becomes "'".
std::string AdaptQuery(std::string_view query, const std::vector<std::string>& tables, ConnectionKind kind);
std::string AdaptQuery(std::string_view query, const std::vector<std::string>& tables, const SetupSettings& settings);

}  // namespace tidemark
