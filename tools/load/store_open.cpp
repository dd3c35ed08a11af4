#include <algorithm>

#include "core/textfile.h"
#include "core/vbtext.h"
#include "data/connection_rules.h"
#include "load_store.h"
#include "storage/db/connection_string.h"

namespace tidemark::load {
namespace {

// Line 7 of the setup file after its "=", as the program reads it.
Result<std::string> SetupConnectionString(const std::string& programFolder) {
    const std::string path = programFolder + "Tidemark_setup.txt";
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return Fault{"no setup file to name the database: " + bytes.error(), path};
    std::vector<std::string> lines = SplitLines(bytes.value());
    if (lines.size() < 7) return Fault{"the setup file has no line 7 (the database connection string)", path};
    const std::string& line = lines[6];
    size_t equals = line.find('=');
    return Trim(equals == std::string::npos ? std::string() : line.substr(equals + 1));
}

}  // namespace

const char* TableName(Table table) {
    switch (table) {
        case Table::Unit: return "runit";
        case Table::Hour: return "rhour";
        case Table::Day: return "rday";
        case Table::DayMax: return "rdaymax";
        case Table::DayMin: return "rdaymin";
    }
    return "runit";
}

Result<std::unique_ptr<LoadStore>> OpenStore(const std::string& programFolder) {
    Result<std::string> given = SetupConnectionString(programFolder);
    if (!given) return given.fault();
    std::string connection = CompleteConnectionString(given.value(), programFolder);
    Result<ConnectionTarget> target = ResolveConnectionString(connection, programFolder);
    if (!target) return Fault{target.error(), programFolder + "Tidemark_setup.txt", 0, 7};
    const ConnectionTarget& t = target.value();
    switch (t.kind) {
        case ConnectionTarget::Kind::SQLite: return OpenSqliteStore(t.file);
        case ConnectionTarget::Kind::PostgreSQL:
            return OpenPostgresStore({t.host, t.database, t.user, t.password, t.port});
        default:
            return Fault{"tidemark-load writes SQLite and PostgreSQL databases; line 7 names another kind: " +
                             RedactConnectionString(connection),
                         programFolder + "Tidemark_setup.txt", 0, 7};
    }
}

}  // namespace tidemark::load
