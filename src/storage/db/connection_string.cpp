#include "storage/db/connection_string.h"

#include "core/vbtext.h"

namespace tidemark {

namespace {

const char kExpectedForms[] =
    "Use Provider=SQLite;Data Source=FILE, "
    "Provider=PostgreSQL;Host=HOST;Port=PORT;Database=NAME;User Id=USER;Password=PASSWORD, "
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE.mdb (or .accdb, .xls, .xlsx), "
    "or an ODBC string (Driver=...;... or DSN=...;...)";

bool SameKey(const std::string& key, const char* name) { return LCase(key) == LCase(name); }

bool IsPasswordKey(const std::string& key) { return SameKey(key, "Password") || SameKey(key, "PWD"); }

std::string Extension(const std::string& file) {
    size_t dot = file.find_last_of('.');
    size_t slash = file.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return LCase(file.substr(dot));
}

Result<ConnectionTarget> ResolveSqlite(const std::vector<std::pair<std::string, std::string>>& pairs,
                                       const std::string& programFolder) {
    std::string file = ConnectionValue(pairs, {"Data Source", "DataSource", "Database"});
    if (file.empty()) return Fault{"The SQLite connection string names no database file: add Data Source=FILE"};
    if (file.front() != '/') file = programFolder + file;
    ConnectionTarget target;
    target.kind = ConnectionTarget::Kind::SQLite;
    target.file = file;
    return target;
}

Result<ConnectionTarget> ResolvePostgres(const std::vector<std::pair<std::string, std::string>>& pairs) {
    ConnectionTarget target;
    target.kind = ConnectionTarget::Kind::PostgreSQL;
    target.host = ConnectionValue(pairs, {"Host", "Server"});
    if (target.host.empty()) target.host = "localhost";
    std::string port = ConnectionValue(pairs, {"Port"});
    if (!port.empty()) {
        std::optional<int32_t> number = ParseInt32(port);
        if (!number || *number < 1 || *number > 65535)
            return Fault{"The PostgreSQL port \"" + port + "\" is not a port number (1 to 65535)"};
        target.port = *number;
    }
    target.database = ConnectionValue(pairs, {"Database", "Dbname", "Initial Catalog"});
    if (target.database.empty()) return Fault{"The PostgreSQL connection string names no database: add Database=NAME"};
    target.user = ConnectionValue(pairs, {"User Id", "UserId", "User", "Username", "Uid"});
    target.password = ConnectionValue(pairs, {"Password", "Pwd"});
    return target;
}

// The provider of Jet strings is the file reader its extension names; the provider
// text itself (Jet 4.0, ACE 12.0) and the Extended Properties only say what the
// original engine was.
Result<ConnectionTarget> ResolveJetFile(const std::vector<std::pair<std::string, std::string>>& pairs,
                                        const std::string& connectionString, const std::string& programFolder) {
    std::string file = ConnectionValue(pairs, {"Data Source", "DataSource"});
    if (file.empty())
        return Fault{
            "The Jet connection string names no database file: add Data Source=FILE (.mdb, .accdb, "
            ".xls or .xlsx)"};
    std::string ext = Extension(file);
    ConnectionTarget target;
    if (ext == ".mdb" || ext == ".accdb") {
        target.kind = ConnectionTarget::Kind::AccessFile;
    } else if (ext == ".xls" || ext == ".xlsx" || ext == ".xlsm") {
        target.kind = ConnectionTarget::Kind::Workbook;
        // HDR=No may stand on its own or inside a quoted Extended Properties value.
        std::string upper = UCase(connectionString);
        std::string compact;
        for (char c : upper)
            if (c != ' ') compact += c;
        target.headerRow = !Contains(compact, "HDR=NO");
    } else {
        return Fault{"The database file " + file +
                     " is neither an Access file (.mdb, .accdb) nor an Excel workbook (.xls, .xlsx)"};
    }
    target.file = file.front() == '/' ? file : programFolder + file;
    return target;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SplitConnectionString(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<std::string> pieces;
    std::string piece;
    char closing = 0;  // inside {...} or "..." while set
    bool inValue = false;
    for (char c : text) {
        if (closing) {
            piece += c;
            if (c == closing) closing = 0;
            continue;
        }
        if (c == ';') {
            pieces.push_back(piece);
            piece.clear();
            inValue = false;
            continue;
        }
        if (c == '=') inValue = true;
        // Wrappers only count at the start of a value.
        else if (inValue && (c == '{' || c == '"') && TrimBlanks(piece.substr(piece.find('=') + 1)).empty())
            closing = c == '{' ? '}' : '"';
        piece += c;
    }
    pieces.push_back(piece);
    for (const std::string& p : pieces) {
        size_t eq = p.find('=');
        if (eq == std::string::npos) continue;
        std::string key = TrimBlanks(p.substr(0, eq));
        if (key.empty()) continue;
        pairs.emplace_back(key, TrimBlanks(p.substr(eq + 1)));
    }
    return pairs;
}

std::string ConnectionValue(const std::vector<std::pair<std::string, std::string>>& pairs,
                            std::initializer_list<const char*> names) {
    for (const auto& [key, value] : pairs)
        for (const char* name : names)
            if (SameKey(key, name)) return value;
    return {};
}

std::string RedactConnectionString(const std::string& text) {
    std::string out;
    for (const auto& [key, value] : SplitConnectionString(text)) {
        out += key + "=" + (IsPasswordKey(key) && !value.empty() ? std::string("***") : value) + ";";
    }
    return out;
}

Result<ConnectionTarget> ResolveConnectionString(const std::string& connectionString,
                                                 const std::string& programFolder) {
    std::vector<std::pair<std::string, std::string>> pairs = SplitConnectionString(connectionString);
    if (pairs.empty())
        return Fault{"The database connection string \"" + TrimBlanks(connectionString) + "\" names no database. " +
                     kExpectedForms};

    std::string provider = ConnectionValue(pairs, {"Provider"});
    std::string providerKey = LCase(provider);
    if (!provider.empty()) {
        if (providerKey == "sqlite" || providerKey == "sqlite3") return ResolveSqlite(pairs, programFolder);
        if (providerKey == "postgresql" || providerKey == "postgres" || providerKey == "pgsql")
            return ResolvePostgres(pairs);
        if (StartsWith(providerKey, "microsoft.jet.oledb") || StartsWith(providerKey, "microsoft.ace.oledb"))
            return ResolveJetFile(pairs, connectionString, programFolder);
        return Fault{"The database provider \"" + provider + "\" is not supported. " + kExpectedForms};
    }
    if (!ConnectionValue(pairs, {"Driver", "DSN", "FileDSN"}).empty()) {
        ConnectionTarget target;
        target.kind = ConnectionTarget::Kind::Odbc;
        target.odbc = connectionString;
        return target;
    }
    return Fault{"The database connection string \"" + RedactConnectionString(connectionString) +
                 "\" names no provider, ODBC driver or data source. " + kExpectedForms};
}

std::string OdbcConnectString(const std::string& given, const std::string& extraPair) {
    std::string text = TrimBlanks(given);
    auto dropTrailingSeparators = [&text] {
        while (!text.empty() && (text.back() == ';' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
    };
    dropTrailingSeparators();
    if (!extraPair.empty()) text += (text.empty() ? "" : ";") + extraPair;
    dropTrailingSeparators();
    return text;
}

}  // namespace tidemark
