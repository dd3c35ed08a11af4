#include "demo_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "core/textfile.h"
#include "schema_sql.h"

namespace tidemark::demo {
namespace {

struct SqlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw SqlError(std::string("cannot prepare \"") + sql + "\": " + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, long long v) {
        Check(sqlite3_bind_int64(stmt_, index, v));
        return *this;
    }
    Statement& Bind(int index, double v) {
        Check(sqlite3_bind_double(stmt_, index, v));
        return *this;
    }
    Statement& Bind(int index, const std::string& v) {
        Check(sqlite3_bind_text(stmt_, index, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    void Run() {
        if (sqlite3_step(stmt_) != SQLITE_DONE) throw SqlError(std::string("insert failed: ") + sqlite3_errmsg(db_));
        sqlite3_reset(stmt_);
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) throw SqlError(std::string("bind failed: ") + sqlite3_errmsg(db_));
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw SqlError(text);
    }
}

void InsertRows(Statement& insert, int dsid, const std::vector<series_tables::Point>& rows, long long& count) {
    for (const series_tables::Point& r : rows) {
        insert.Bind(1, static_cast<long long>(dsid)).Bind(2, DateTimeText(r.time / 60)).Bind(3, r.value).Run();
        ++count;
    }
}

// The hourly and daily rows of one series by the loader's rule; extremes come only from
// observed values (up to now), stored values are rounded as the series' unit values are.
series_tables::Tables SeriesTables(const std::vector<double>& values, const Timeline& tl, const SeriesInfo& s) {
    std::vector<series_tables::Point> unit, observed;
    for (size_t i = 0; i < values.size(); ++i) {
        if (!HasRow(values[i])) continue;
        series_tables::Point p{tl.TimeAt(static_cast<int>(i)) * 60, values[i]};
        unit.push_back(p);
        if (static_cast<int>(i) <= tl.NowIndex()) observed.push_back(p);
    }
    if (unit.empty()) return {};
    series_tables::Tables t = series_tables::HourlyAndDaily(unit, s.aggregation, unit.back().time);
    if (s.dailyExtremes && !observed.empty()) series_tables::DailyExtremes(observed, observed.back().time, t);
    for (auto* rows : {&t.hourly, &t.daily})
        for (series_tables::Point& p : *rows) {
            p.value = RoundStored(p.value, s.rounding);
            // A direction that rounds up to a full turn is north.
            if (s.aggregation == Aggregation::Direction && p.value >= 4.0) p.value = 0.0;
        }
    return t;
}

void FillDatabase(sqlite3* db, const DemoData& data, DatabaseCounts& counts) {
    Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
    Exec(db, kSchemaSql);
    Exec(db, "BEGIN");
    const Timeline& tl = data.timeline;

    Statement site(db, "INSERT INTO rsite VALUES (?,?,?,?,?,?)");
    for (const SeriesInfo& s : DemoSeries()) {
        site.Bind(1, static_cast<long long>(s.dsid)).Bind(2, s.siteName).Bind(3, static_cast<long long>(s.datatypeId));
        site.Bind(4, s.datatypeName).Bind(5, s.unitName).Bind(6, static_cast<long long>(s.stationId)).Run();
    }

    Statement unit(db, "INSERT INTO runit VALUES (?,?,?)");
    Statement hour(db, "INSERT INTO rhour VALUES (?,?,?)");
    Statement day(db, "INSERT INTO rday VALUES (?,?,?)");
    Statement dayMax(db, "INSERT INTO rdaymax VALUES (?,?,?)");
    Statement dayMin(db, "INSERT INTO rdaymin VALUES (?,?,?)");
    for (const SeriesInfo& s : DemoSeries()) {
        const std::vector<double>& values = data.unitValues.at(s.dsid);
        for (size_t i = 0; i < values.size(); ++i) {
            if (!HasRow(values[i])) continue;
            unit.Bind(1, static_cast<long long>(s.dsid)).Bind(2, DateTimeText(tl.TimeAt(static_cast<int>(i))));
            unit.Bind(3, values[i]).Run();
            ++counts.unitRows;
        }
        series_tables::Tables a = SeriesTables(values, tl, s);
        InsertRows(hour, s.dsid, a.hourly, counts.hourRows);
        InsertRows(day, s.dsid, a.daily, counts.dayRows);
        InsertRows(dayMax, s.dsid, a.dailyMax, counts.extremeRows);
        InsertRows(dayMin, s.dsid, a.dailyMin, counts.extremeRows);
    }

    // The logger's stamp for the whole database, and each series' last report.
    Statement update(db, "INSERT INTO rupdate VALUES (?,?,?)");
    update.Bind(1, 0LL).Bind(2, std::string("Streamkeep")).Bind(3, DateTimeText(tl.now)).Run();
    for (const SeriesInfo& s : DemoSeries()) {
        const std::vector<double>& values = data.unitValues.at(s.dsid);
        int last = -1;
        for (int i = 0; i <= tl.NowIndex(); ++i)
            if (HasRow(values[static_cast<size_t>(i)])) last = i;
        if (last < 0) continue;
        std::string source = s.dsid == kForecastStageMillFalls ? "Ledgerly" : "Streamkeep";
        Minutes stamp = s.dsid == kForecastStageMillFalls ? data.forecastIssued : tl.TimeAt(last);
        update.Bind(1, static_cast<long long>(s.dsid)).Bind(2, source).Bind(3, DateTimeText(stamp)).Run();
    }

    Statement run(db, "INSERT INTO mrundsid VALUES (?,?,?,?,?)");
    Statement mhour(db, "INSERT INTO mhour VALUES (?,?,?,?,?)");
    Statement munit(db, "INSERT INTO munit VALUES (?,?,?,?,?)");
    for (const ModelTrace& t : data.modelTraces) {
        run.Bind(1, static_cast<long long>(t.runId)).Bind(2, static_cast<long long>(t.trace));
        run.Bind(3, DateTimeText(t.runTime)).Bind(4, static_cast<long long>(t.dsid)).Bind(5, t.setupString).Run();
        for (int pass = 0; pass < 2; ++pass) {
            Statement& insert = pass == 0 ? mhour : munit;
            for (const Row& r : pass == 0 ? t.hourly : t.unit) {
                insert.Bind(1, static_cast<long long>(t.runId)).Bind(2, static_cast<long long>(t.trace));
                insert.Bind(3, static_cast<long long>(t.dsid)).Bind(4, DateTimeText(r.time)).Bind(5, r.value).Run();
                ++counts.modelRows;
            }
        }
    }
    Exec(db, "COMMIT");
}

bool SyncFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool WriteDemoDatabase(const DemoData& data, const std::string& path, DatabaseCounts* counts, std::string* error) {
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    std::remove(temp.c_str());
    sqlite3* db = nullptr;
    DatabaseCounts local;
    bool ok = false;
    if (sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        if (error) *error = temp + ": " + (db ? sqlite3_errmsg(db) : "cannot open");
    } else {
        try {
            FillDatabase(db, data, local);
            ok = true;
        } catch (const std::exception& e) {
            if (error) *error = path + ": " + e.what();
        }
    }
    if (db && sqlite3_close(db) != SQLITE_OK && ok) {
        if (error) *error = path + ": cannot close the database";
        ok = false;
    }
    if (ok && !SyncFile(temp)) {
        if (error) *error = temp + ": cannot flush to disk";
        ok = false;
    }
    if (ok) {
        Result<void> renamed = RenameFile(temp, path);
        if (!renamed && error) *error = renamed.error();
        ok = renamed.ok();
    }
    if (!ok) {
        std::remove(temp.c_str());
        return false;
    }
    if (counts) *counts = local;
    return true;
}

}  // namespace tidemark::demo
