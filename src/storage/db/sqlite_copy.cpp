#include "storage/db/sqlite_copy.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>

#include "core/daynum.h"
#include "core/vbtext.h"

namespace tidemark {

void SqliteCloser::operator()(sqlite3* db) const { sqlite3_close(db); }
void StatementFinalizer::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

std::string QuoteSqliteName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

namespace {

// Whole seconds as the schema writes them; a fraction of a second (workbooks keep
// times to the millisecond) is kept after a ".", so an instant just before a window's
// edge stays before it.
int FormatDateTime(double day, char (&text)[40]) {
    // Past the years 100 to 9999 that the file formats know, a cell holds no date (a
    // damaged or foreign file): its day number is kept as it stands.
    constexpr double kFirstDay = -657434;  // 100-01-01
    constexpr double kLastDay = 2958466;   // 10000-01-01
    if (!(day >= kFirstDay && day < kLastDay)) return std::snprintf(text, sizeof text, "%.17g", day);
    long long ms = std::llround(day * 86400000.0);
    long long fraction = ms % 1000;
    if (fraction < 0) fraction += 1000;
    CivilTime c = ToCivil(static_cast<double>(ms - fraction) / 86400000.0);
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                               c.minute, c.second);
    if (fraction != 0) length += std::snprintf(text + length, sizeof text - length, ".%03lld", fraction);
    return length;
}

}  // namespace

std::string DateTimeText(double day) {
    char text[40];
    return std::string(text, static_cast<size_t>(FormatDateTime(day, text)));
}

namespace {

const char* DeclaredType(CopyColumnType type) {
    switch (type) {
        case CopyColumnType::Integer: return " INTEGER";
        case CopyColumnType::Real: return " REAL";
        case CopyColumnType::Text:
        case CopyColumnType::DateTime: return " TEXT";
        case CopyColumnType::Blob: return " BLOB";
        case CopyColumnType::Untyped: return "";
    }
    return "";
}

}  // namespace

Result<SqliteCopy> SqliteCopy::Create() {
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteHandle db(raw);
    if (rc != SQLITE_OK)
        return Fault{"Cannot make the in-memory copy of the database: " + std::string(sqlite3_errstr(rc))};
    SqliteCopy copy(std::move(db));
    // Nothing of the copy needs to survive a crash: no journal, no syncing.
    Result<bool> ready = copy.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    if (!ready) return Fault{ready.error()};
    return copy;
}

Result<bool> SqliteCopy::Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    std::string text = message ? message : sqlite3_errmsg(db_.get());
    sqlite3_free(message);
    return Fault{"Cannot make the in-memory copy of the database: " + text};
}

Result<bool> SqliteCopy::Fail(const std::string& what) {
    return Fault{"Cannot copy the table " + table_ + " " + what + ": " + sqlite3_errmsg(db_.get())};
}

Result<bool> SqliteCopy::BeginTable(const std::string& name, const std::vector<CopyColumn>& columns) {
    table_ = name;
    column_ = 0;
    indexKey_ = false;
    insert_.reset();
    if (columns.empty()) return Fault{"The table " + name + " has no columns"};
    std::string create = "CREATE TABLE " + QuoteSqliteName(name) + " (";
    std::string insert = "INSERT INTO " + QuoteSqliteName(name) + " VALUES (";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) {
            create += ", ";
            insert += ",";
        }
        create += QuoteSqliteName(columns[i].name) + DeclaredType(columns[i].type);
        insert += "?";
        if (LCase(columns[i].name) == "datatype_site_id") indexKey_ = true;
    }
    Result<bool> made = Exec(create + ")");
    if (!made) return made;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_.get(), (insert + ")").c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return Fail("into memory");
    insert_.reset(statement);
    return true;
}

void SqliteCopy::AddNull() { sqlite3_bind_null(insert_.get(), ++column_); }
void SqliteCopy::AddInteger(int64_t value) { sqlite3_bind_int64(insert_.get(), ++column_, value); }
void SqliteCopy::AddReal(double value) { sqlite3_bind_double(insert_.get(), ++column_, value); }

void SqliteCopy::AddText(std::string_view utf8) {
    sqlite3_bind_text(insert_.get(), ++column_, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteCopy::AddBlob(std::string_view bytes) {
    sqlite3_bind_blob(insert_.get(), ++column_, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void SqliteCopy::AddDateTime(double day) {
    char text[40];
    int length = FormatDateTime(day, text);
    sqlite3_bind_text(insert_.get(), ++column_, text, length, SQLITE_TRANSIENT);
}

Result<bool> SqliteCopy::EndRow() {
    int rc = sqlite3_step(insert_.get());
    sqlite3_reset(insert_.get());
    sqlite3_clear_bindings(insert_.get());
    column_ = 0;
    if (rc != SQLITE_DONE) return Fail("into memory");
    ++rows_;
    return true;
}

Result<bool> SqliteCopy::EndTable() {
    insert_.reset();
    if (!indexKey_) return true;
    return Exec("CREATE INDEX " + QuoteSqliteName(table_ + "_by_series") + " ON " + QuoteSqliteName(table_) +
                " (datatype_site_id)");
}

Result<std::shared_ptr<sqlite3>> SqliteCopy::Finish() {
    insert_.reset();
    Result<bool> done = Exec("COMMIT; PRAGMA query_only=1");
    if (!done) return Fault{done.error()};
    return std::shared_ptr<sqlite3>(db_.release(), SqliteCloser{});
}

}  // namespace tidemark
