// The loader's session on an SQLite file: one writer transaction a file (BEGIN
// IMMEDIATE, so a display reading at the same time never sees half of it and a second
// loader waits instead of failing mid-file), the rollback journal the file already uses,
// prepared statements kept for the whole session.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cmath>
#include <map>

#include "load_store.h"
#include "local_time.h"
#include "schema_sql.h"

namespace tidemark::load {
namespace {

// How long a write waits for a display's read or another loader to finish.
constexpr int kBusyMilliseconds = 30000;

class SqliteStore final : public LoadStore {
public:
    SqliteStore(sqlite3* db, std::string file, bool created) : db_(db), file_(std::move(file)), created_(created) {}
    ~SqliteStore() override {
        for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
        sqlite3_close(db_);
    }

    std::string Describe() const override { return "SQLite file " + file_; }
    std::string CreatedFile() const override { return created_ ? file_ : std::string(); }

    Result<void> Begin() override {
        if (Result<void> r = Exec("BEGIN IMMEDIATE"); !r) return r;
        if (created_ && !schemaMade_) {
            if (Result<void> r = Exec(kSchemaSql); !r) return r;
            schemaMade_ = true;
        }
        return {};
    }
    Result<void> Commit() override { return Exec("COMMIT"); }
    void Rollback() override {
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (created_) schemaMade_ = false;
    }

    Result<std::vector<CatalogueRow>> Catalogue() override {
        Result<sqlite3_stmt*> s = Prepare(
            "SELECT datatype_site_id, site_name, datatype_name, unit_name, datatype_id FROM rsite "
            "ORDER BY datatype_site_id");
        if (!s) return s.fault();
        std::vector<CatalogueRow> rows;
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            CatalogueRow r;
            r.dsid = sqlite3_column_int64(*s, 0);
            r.site = Text(*s, 1);
            r.parameter = Text(*s, 2);
            r.unit = Text(*s, 3);
            r.datatypeId = sqlite3_column_int64(*s, 4);
            rows.push_back(std::move(r));
        }
        return Done(*s, rc, std::move(rows));
    }

    Result<void> AddSeries(const CatalogueRow& row) override {
        Result<sqlite3_stmt*> s = Prepare("INSERT INTO rsite VALUES (?,?,?,?,?,NULL)");
        if (!s) return s.fault();
        sqlite3_bind_int64(*s, 1, row.dsid);
        sqlite3_bind_text(*s, 2, row.site.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(*s, 3, row.datatypeId);
        sqlite3_bind_text(*s, 4, row.parameter.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(*s, 5, row.unit.c_str(), -1, SQLITE_TRANSIENT);
        return Step(*s);
    }

    Result<std::vector<Point>> Range(Table table, long long dsid, Seconds from, Seconds to) override {
        Result<sqlite3_stmt*> s = Prepare(std::string("SELECT date_time, value FROM ") + TableName(table) +
                                          " WHERE datatype_site_id = ? AND date_time >= ? AND date_time < ?"
                                          " ORDER BY date_time");
        if (!s) return s.fault();
        BindSeriesRange(*s, dsid, from, to);
        std::vector<Point> rows;
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(*s, 0));
            std::optional<Seconds> t = text ? ParseStoredText(text) : std::nullopt;
            // A row this program cannot read as a time is left as it is; the display
            // cannot place it either. A NULL value is a row all the same (NaN here), so
            // a file's value for its time replaces it.
            if (!t) continue;
            rows.push_back(
                Point{*t, sqlite3_column_type(*s, 1) == SQLITE_NULL ? std::nan("") : sqlite3_column_double(*s, 1)});
        }
        return Done(*s, rc, std::move(rows));
    }

    Result<std::optional<Seconds>> LastTime(Table table, long long dsid) override {
        Result<sqlite3_stmt*> s =
            Prepare(std::string("SELECT max(date_time) FROM ") + TableName(table) + " WHERE datatype_site_id = ?");
        if (!s) return s.fault();
        sqlite3_bind_int64(*s, 1, dsid);
        return OneTime(*s);
    }

    Result<void> Insert(Table table, long long dsid, std::span<const Point> rows) override {
        return WriteRows(std::string("INSERT INTO ") + TableName(table) +
                             " (value, datatype_site_id, date_time)"
                             " VALUES (?,?,?)",
                         dsid, rows);
    }
    Result<void> Update(Table table, long long dsid, std::span<const Point> rows) override {
        return WriteRows(
            std::string("UPDATE ") + TableName(table) + " SET value = ? WHERE datatype_site_id = ? AND date_time = ?",
            dsid, rows);
    }
    Result<void> Delete(Table table, long long dsid, Seconds from, Seconds to) override {
        Result<sqlite3_stmt*> s = Prepare(std::string("DELETE FROM ") + TableName(table) +
                                          " WHERE datatype_site_id = ? AND date_time >= ? AND date_time < ?");
        if (!s) return s.fault();
        BindSeriesRange(*s, dsid, from, to);
        return Step(*s);
    }

    Result<std::optional<Seconds>> Stamp() override {
        Result<sqlite3_stmt*> s = Prepare("SELECT max(date_time) FROM rupdate WHERE datatype_site_id = 0");
        if (!s) return s.fault();
        return OneTime(*s);
    }

    Result<void> WriteStamp(Seconds time) override {
        const std::string text = StoredText(time);
        for (const char* sql :
             {"UPDATE rupdate SET date_time = ? WHERE datatype_site_id = 0",
              "INSERT INTO rupdate (datatype_site_id, source, date_time) VALUES (0, 'tidemark-load', ?)"}) {
            Result<sqlite3_stmt*> s = Prepare(sql);
            if (!s) return s.fault();
            sqlite3_bind_text(*s, 1, text.c_str(), -1, SQLITE_TRANSIENT);
            if (Result<void> r = Step(*s); !r) return r;
            if (sqlite3_changes(db_) > 0) return {};
        }
        return {};
    }

private:
    Fault Error(const std::string& what) const { return Fault{what + ": " + sqlite3_errmsg(db_), file_}; }

    Result<void> Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
        std::string text = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        return Fault{"the database refused a statement: " + text, file_};
    }

    Result<sqlite3_stmt*> Prepare(const std::string& sql) {
        auto found = statements_.find(sql);
        if (found != statements_.end()) {
            sqlite3_reset(found->second);
            sqlite3_clear_bindings(found->second);
            return found->second;
        }
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            return Error("this database does not have the layout the program reads (" + sql + ")");
        statements_.emplace(sql, s);
        return s;
    }

    static std::string Text(sqlite3_stmt* s, int column) {
        const unsigned char* text = sqlite3_column_text(s, column);
        return text ? reinterpret_cast<const char*>(text) : "";
    }

    template <class T>
    Result<T> Done(sqlite3_stmt* s, int rc, T value) {
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return Error("reading failed");
        return value;
    }

    // The date-time a one-row statement gives, or nothing for NULL.
    Result<std::optional<Seconds>> OneTime(sqlite3_stmt* s) {
        std::optional<Seconds> time;
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW && sqlite3_column_type(s, 0) != SQLITE_NULL)
            time = ParseStoredText(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        if (rc == SQLITE_ROW) rc = sqlite3_step(s);
        return Done(s, rc, time);
    }

    Result<void> Step(sqlite3_stmt* s) {
        int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return Error("writing failed");
        return {};
    }

    void BindSeriesRange(sqlite3_stmt* s, long long dsid, Seconds from, Seconds to) {
        char a[19], b[19];
        WriteStoredText(from, a);
        WriteStoredText(to, b);
        sqlite3_bind_int64(s, 1, dsid);
        sqlite3_bind_text(s, 2, a, 19, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, b, 19, SQLITE_TRANSIENT);
    }

    Result<void> WriteRows(const std::string& sql, long long dsid, std::span<const Point> rows) {
        Result<sqlite3_stmt*> prepared = Prepare(sql);
        if (!prepared) return prepared.fault();
        sqlite3_stmt* s = *prepared;
        char text[19];
        sqlite3_bind_int64(s, 2, dsid);
        for (const Point& p : rows) {
            WriteStoredText(p.time, text);
            sqlite3_bind_double(s, 1, p.value);
            sqlite3_bind_text(s, 3, text, 19, SQLITE_STATIC);
            int rc = sqlite3_step(s);
            sqlite3_reset(s);
            if (rc != SQLITE_DONE) return Error("writing failed");
        }
        return {};
    }

    sqlite3* db_;
    std::string file_;
    bool created_;
    bool schemaMade_ = false;
    std::map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

Result<std::unique_ptr<LoadStore>> OpenSqliteStore(const std::string& file) {
    struct stat st {};
    const bool exists = ::stat(file.c_str(), &st) == 0;
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return Fault{"cannot open the database for writing: " + why, file};
    }
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    sqlite3_extended_result_codes(db, 1);
    // A year of one series' unit values (some 5 MB of pages) stays in memory while it is
    // compared, written and read back for the hourly tables; a larger cache only costs
    // the time to fill it.
    sqlite3_exec(db, "PRAGMA cache_size = -8192", nullptr, nullptr, nullptr);
    return std::unique_ptr<LoadStore>(new SqliteStore(db, file, !exists));
}

}  // namespace tidemark::load
