#pragma once
// The loader's read-write session on the database the program folder's setup names: the
// few statements a load needs, each engine writing them in its own dialect. The display's
// connections stay read-only; this one is the loader's alone and lives for one file's
// transaction at most.
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/result.h"
#include "series_tables/series_tables.h"

namespace tidemark::load {

using series_tables::Point;
using series_tables::Seconds;

enum class Table { Unit, Hour, Day, DayMax, DayMin };
const char* TableName(Table table);

struct CatalogueRow {
    long long dsid = 0;
    std::string site;
    std::string parameter;
    std::string unit;
    long long datatypeId = 0;
};

class LoadStore {
public:
    virtual ~LoadStore() = default;

    // "SQLite file /path" or "PostgreSQL database D on H:P", for the output.
    virtual std::string Describe() const = 0;

    virtual Result<void> Begin() = 0;
    virtual Result<void> Commit() = 0;
    virtual void Rollback() = 0;

    virtual Result<std::vector<CatalogueRow>> Catalogue() = 0;
    virtual Result<void> AddSeries(const CatalogueRow& row) = 0;

    // Rows of one series with from <= date_time < to, by time.
    virtual Result<std::vector<Point>> Range(Table table, long long dsid, Seconds from, Seconds to) = 0;
    virtual Result<std::optional<Seconds>> LastTime(Table table, long long dsid) = 0;
    virtual Result<void> Insert(Table table, long long dsid, std::span<const Point> rows) = 0;
    virtual Result<void> Update(Table table, long long dsid, std::span<const Point> rows) = 0;
    virtual Result<void> Delete(Table table, long long dsid, Seconds from, Seconds to) = 0;

    // rupdate row 0: its date_time as stored (nothing when absent or unreadable), and
    // writing it (the row is added when there is none).
    virtual Result<std::optional<Seconds>> Stamp() = 0;
    virtual Result<void> WriteStamp(Seconds time) = 0;

    // The database file this session created, "" when it found one: removed when its
    // first load fails, so a refused file leaves nothing behind.
    virtual std::string CreatedFile() const { return {}; }
};

// The session on what `programFolder`'s Tidemark_setup.txt names (line 7, completed by
// the program's own connection rules): an SQLite file (made with the schema when it does
// not exist yet) or a PostgreSQL database.
Result<std::unique_ptr<LoadStore>> OpenStore(const std::string& programFolder);

// The engines, for the above and for tests.
Result<std::unique_ptr<LoadStore>> OpenSqliteStore(const std::string& file);
struct PostgresLogin {
    std::string host, database, user, password;
    int port = 5432;
};
Result<std::unique_ptr<LoadStore>> OpenPostgresStore(const PostgresLogin& login);

}  // namespace tidemark::load
