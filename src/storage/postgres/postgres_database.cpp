#include "storage/db/postgres_module.h"

#include <libpq-fe.h>

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <string>
#include <vector>

#include "storage/db/dialect.h"
#include "storage/postgres/postgres_run.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {
namespace {

// libpq's message, in the form the other engines' messages take: its first line, without
// the severity the server put in front.
std::string ConnectionErrorText(const PGconn* connection) {
    QString text = QString::fromUtf8(PQerrorMessage(connection)).trimmed();
    qsizetype newline = text.indexOf(u'\n');
    if (newline >= 0) text = text.left(newline).trimmed();
    for (QStringView severity : {u"FATAL:", u"ERROR:"})
        if (text.startsWith(severity)) text = text.mid(severity.size()).trimmed();
    return ToProgramText(text);
}

struct ConnectionCloser {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using Connection = std::unique_ptr<PGconn, ConnectionCloser>;

class PostgresDatabase final : public Database {
public:
    explicit PostgresDatabase(Connection connection)
        : connection_(std::move(connection)), pipeline_(std::make_unique<SeriesPipeline>(connection_.get())) {}

    bool IsOpen() const override { return connection_ != nullptr; }
    void Close() override {
        pipeline_.reset();
        connection_.reset();
    }

    Result<Recordset> OpenRecordset(const std::string& statement) override {
        Result<std::string> sql = Runnable(statement);
        if (!sql) return Fault{sql.error()};
        if (std::optional<Result<Recordset>> expected = pipeline_->TakeRecordset(sql.value()))
            return std::move(*expected);
        pipeline_->Leave();
        Result<Recordset> rows = RunOnPostgres(connection_.get(), sql.value());
        pipeline_->Resume();
        return rows;
    }

    void ExpectSeries(const std::vector<std::string>& statements) override {
        if (!connection_ || seriesAsText_) return;
        std::vector<std::string> runnable;
        for (const std::string& statement : statements)
            if (Result<std::string> sql = Runnable(statement)) runnable.push_back(std::move(sql.value()));
        pipeline_->Expect(std::move(runnable));
    }

    void ExpectRecordset(const std::string& statement) override {
        if (!connection_) return;
        if (Result<std::string> sql = Runnable(statement)) pipeline_->ExpectRecordset(std::move(sql.value()));
    }

    Result<SeriesRows> OpenSeries(const std::string& statement) override {
        Result<std::string> sql = Runnable(statement);
        if (!sql) return Fault{sql.error()};
        if (!seriesAsText_) {
            std::optional<std::optional<Result<SeriesRows>>> expected = pipeline_->Take(sql.value());
            if (expected && *expected) return std::move(**expected);
            if (!expected) {
                pipeline_->Forget(sql.value());
                pipeline_->Leave();
                std::optional<Result<SeriesRows>> rows = RunSeriesOnPostgres(connection_.get(), sql.value());
                pipeline_->Resume();
                if (rows) return *rows;
            }
            // A column of a type read only as text (numeric values, say): the statement
            // then ran for nothing. The other series tables of a database keep the same
            // types, so this connection asks for them as text from now on, and what was
            // sent ahead in the binary form is let go.
            seriesAsText_ = true;
            pipeline_ = std::make_unique<SeriesPipeline>(connection_.get());
        }
        return Database::OpenSeries(statement);
    }

    std::string AdaptStatement(const std::string& statement) const override {
        return ApplyDialect(SqlDialect::PostgreSQL, statement);
    }
    std::string EngineName() const override { return "PostgreSQL"; }
    bool ReadsBesideAnotherConnection() const override { return true; }

private:
    Result<std::string> Runnable(const std::string& statement) const {
        if (!connection_) return Fault{"The database connection is closed"};
        return RunnableStatement(SqlDialect::PostgreSQL, statement);
    }

    Connection connection_;
    // Declared after the connection it works on, so it goes first.
    std::unique_ptr<SeriesPipeline> pipeline_;
    bool seriesAsText_ = false;
};

// A read-only session on the target's server, its dates in ISO form and its text in
// UTF-8, as the statements here read them.
Result<std::unique_ptr<Database>> OpenSession(const ConnectionTarget& target) {
    // Given as libpq's parameters, so that no value needs quoting; text the program keeps
    // in its own encoding goes to the server in UTF-8.
    std::vector<std::pair<const char*, QByteArray>> given;
    auto give = [&](const char* key, const std::string& value) {
        if (!value.empty()) given.emplace_back(key, ProgramText(value).toUtf8());
    };
    give("host", target.host);
    give("port", std::to_string(target.port));
    give("dbname", target.database);
    give("user", target.user);
    give("password", target.password);
    give("connect_timeout", "10");
    give("client_encoding", "UTF8");
    // Set as the session starts instead of by statements after it: the dates come as the
    // statements here read them, and nothing the program runs can write.
    give("options", "-c DateStyle=ISO -c default_transaction_read_only=on");
    std::vector<const char*> keys, values;
    for (const auto& [key, value] : given) {
        keys.push_back(key);
        values.push_back(value.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    Connection connection(PQconnectdbParams(keys.data(), values.data(), 0));
    if (!connection || PQstatus(connection.get()) != CONNECTION_OK) {
        std::string where = "database " + target.database + " on " + target.host + ":" + std::to_string(target.port);
        return Fault{"Cannot open the PostgreSQL " + where + ": " +
                     (connection ? ConnectionErrorText(connection.get()) : std::string("out of memory"))};
    }
    return std::unique_ptr<Database>(std::make_unique<PostgresDatabase>(std::move(connection)));
}

}  // namespace

// The module's one entry point (postgres_module.h).
extern "C" [[gnu::visibility("default")]] Result<std::unique_ptr<Database>> tidemark_open_postgres(
    const ConnectionTarget& target) {
    return OpenSession(target);
}

}  // namespace tidemark
