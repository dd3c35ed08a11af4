// The loader's session on a PostgreSQL database, through libpq: one transaction a file,
// rows written in batches of a few thousand a statement (one round trip each, not one a
// row). Times and numbers are formatted by the loader itself; every text that comes from
// a file (site names, parameters, units) goes as a parameter, never into the statement.
#include <libpq-fe.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "load_store.h"
#include "local_time.h"

namespace tidemark::load {
namespace {

constexpr size_t kRowsPerStatement = 2000;

struct ResultCloser {
    void operator()(PGresult* r) const { PQclear(r); }
};
using PgResult = std::unique_ptr<PGresult, ResultCloser>;

std::string NumberText(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

std::string FirstLine(const char* message) {
    std::string text = message ? message : "";
    size_t newline = text.find('\n');
    return newline == std::string::npos ? text : text.substr(0, newline);
}

class PostgresStore final : public LoadStore {
public:
    PostgresStore(PGconn* connection, std::string description)
        : connection_(connection), description_(std::move(description)) {}
    ~PostgresStore() override { PQfinish(connection_); }

    std::string Describe() const override { return description_; }

    Result<void> Begin() override { return Command("BEGIN"); }
    Result<void> Commit() override { return Command("COMMIT"); }
    void Rollback() override { PgResult r(PQexec(connection_, "ROLLBACK")); }

    Result<std::vector<CatalogueRow>> Catalogue() override {
        Result<PgResult> r = Query(
            "SELECT datatype_site_id, site_name, datatype_name, unit_name, coalesce(datatype_id, 0) FROM rsite"
            " ORDER BY datatype_site_id",
            {});
        if (!r) return r.fault();
        std::vector<CatalogueRow> rows;
        for (int i = 0; i < PQntuples(r->get()); ++i) {
            CatalogueRow row;
            row.dsid = std::stoll(PQgetvalue(r->get(), i, 0));
            row.site = PQgetvalue(r->get(), i, 1);
            row.parameter = PQgetvalue(r->get(), i, 2);
            row.unit = PQgetvalue(r->get(), i, 3);
            row.datatypeId = std::stoll(PQgetvalue(r->get(), i, 4));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    Result<void> AddSeries(const CatalogueRow& row) override {
        Result<PgResult> r =
            Query("INSERT INTO rsite VALUES ($1::integer, $2, $3::integer, $4, $5, NULL)",
                  {std::to_string(row.dsid), row.site, std::to_string(row.datatypeId), row.parameter, row.unit});
        return r ? Result<void>() : r.fault();
    }

    Result<std::vector<Point>> Range(Table table, long long dsid, Seconds from, Seconds to) override {
        Result<PgResult> r =
            Query(std::string("SELECT to_char(date_time, 'YYYY-MM-DD HH24:MI:SS'), value FROM ") + TableName(table) +
                      " WHERE datatype_site_id = $1::integer AND date_time >= $2::timestamp"
                      " AND date_time < $3::timestamp ORDER BY date_time",
                  {std::to_string(dsid), StoredText(from), StoredText(to)});
        if (!r) return r.fault();
        std::vector<Point> rows;
        for (int i = 0; i < PQntuples(r->get()); ++i) {
            std::optional<Seconds> t = ParseStoredText(PQgetvalue(r->get(), i, 0));
            // A NULL value is a row all the same (NaN here), so a file's value replaces it.
            if (t)
                rows.push_back(Point{
                    *t, PQgetisnull(r->get(), i, 1) ? std::nan("") : std::strtod(PQgetvalue(r->get(), i, 1), nullptr)});
        }
        return rows;
    }

    Result<std::optional<Seconds>> LastTime(Table table, long long dsid) override {
        return OneTime(std::string("SELECT to_char(max(date_time), 'YYYY-MM-DD HH24:MI:SS') FROM ") + TableName(table) +
                           " WHERE datatype_site_id = $1::integer",
                       {std::to_string(dsid)});
    }

    Result<void> Insert(Table table, long long dsid, std::span<const Point> rows) override {
        return Batches(rows, [&](std::span<const Point> batch) {
            std::string sql =
                std::string("INSERT INTO ") + TableName(table) + " (datatype_site_id, date_time, value) VALUES ";
            AppendValues(sql, dsid, batch);
            return sql;
        });
    }

    Result<void> Update(Table table, long long dsid, std::span<const Point> rows) override {
        return Batches(rows, [&](std::span<const Point> batch) {
            std::string sql = std::string("UPDATE ") + TableName(table) + " AS t SET value = v.value FROM (VALUES ";
            AppendValues(sql, dsid, batch);
            sql +=
                ") AS v(datatype_site_id, date_time, value) WHERE t.datatype_site_id = v.datatype_site_id"
                " AND t.date_time = v.date_time";
            return sql;
        });
    }

    Result<void> Delete(Table table, long long dsid, Seconds from, Seconds to) override {
        Result<PgResult> r = Query(std::string("DELETE FROM ") + TableName(table) +
                                       " WHERE datatype_site_id = $1::integer AND date_time >= $2::timestamp"
                                       " AND date_time < $3::timestamp",
                                   {std::to_string(dsid), StoredText(from), StoredText(to)});
        return r ? Result<void>() : r.fault();
    }

    Result<std::optional<Seconds>> Stamp() override {
        return OneTime(
            "SELECT to_char(max(date_time), 'YYYY-MM-DD HH24:MI:SS') FROM rupdate WHERE datatype_site_id = 0", {});
    }

    Result<void> WriteStamp(Seconds time) override {
        Result<PgResult> updated =
            Query("UPDATE rupdate SET date_time = $1::timestamp WHERE datatype_site_id = 0", {StoredText(time)});
        if (!updated) return updated.fault();
        if (std::string(PQcmdTuples(updated->get())) != "0") return {};
        Result<PgResult> added = Query(
            "INSERT INTO rupdate (datatype_site_id, source, date_time) VALUES (0, 'tidemark-load', $1::timestamp)",
            {StoredText(time)});
        return added ? Result<void>() : added.fault();
    }

private:
    Fault Error(const std::string& what) const {
        return Fault{what + ": " + FirstLine(PQerrorMessage(connection_)), description_};
    }

    Result<void> Command(const char* sql) {
        Result<PgResult> r = Query(sql, {});
        return r ? Result<void>() : r.fault();
    }

    Result<PgResult> Query(const std::string& sql, const std::vector<std::string>& params) {
        std::vector<const char*> values;
        for (const std::string& p : params) values.push_back(p.c_str());
        PgResult r(PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                                nullptr, nullptr, 0));
        ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            return Fault{"the database refused a statement: " +
                             FirstLine(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(connection_)),
                         description_};
        return r;
    }

    Result<std::optional<Seconds>> OneTime(const std::string& sql, const std::vector<std::string>& params) {
        Result<PgResult> r = Query(sql, params);
        if (!r) return r.fault();
        if (PQntuples(r->get()) == 0 || PQgetisnull(r->get(), 0, 0)) return std::optional<Seconds>();
        return ParseStoredText(PQgetvalue(r->get(), 0, 0));
    }

    static void AppendValues(std::string& sql, long long dsid, std::span<const Point> batch) {
        const std::string id = std::to_string(dsid);
        for (size_t i = 0; i < batch.size(); ++i) {
            if (i) sql += ',';
            sql += "(" + id + "::integer,'" + StoredText(batch[i].time) + "'::timestamp," + NumberText(batch[i].value) +
                   "::double precision)";
        }
    }

    template <class Build>
    Result<void> Batches(std::span<const Point> rows, Build build) {
        for (size_t start = 0; start < rows.size(); start += kRowsPerStatement) {
            std::string sql = build(rows.subspan(start, std::min(kRowsPerStatement, rows.size() - start)));
            if (Result<void> r = Command(sql.c_str()); !r) return r;
        }
        return {};
    }

    PGconn* connection_;
    std::string description_;
};

}  // namespace

Result<std::unique_ptr<LoadStore>> OpenPostgresStore(const PostgresLogin& login) {
    const std::string port = std::to_string(login.port);
    const char* keys[] = {"host", "port", "dbname", "user", "password", "connect_timeout", "application_name", nullptr};
    const char* values[] = {login.host.c_str(),     port.c_str(), login.database.c_str(), login.user.c_str(),
                            login.password.c_str(), "10",         "tidemark-load",        nullptr};
    PGconn* connection = PQconnectdbParams(keys, values, 0);
    std::string description = "PostgreSQL database " + login.database + " on " + login.host + ":" + port;
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        std::string why = connection ? FirstLine(PQerrorMessage(connection)) : "out of memory";
        PQfinish(connection);
        return Fault{"cannot connect: " + why, description};
    }
    return std::unique_ptr<LoadStore>(new PostgresStore(connection, description));
}

}  // namespace tidemark::load
