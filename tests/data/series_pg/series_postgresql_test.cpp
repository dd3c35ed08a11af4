// The engine cases of the series fetch on a private PostgreSQL server.
#include "series_cases.h"
#include "support/pg_server.h"

namespace tidemark::seriestest {
namespace {

class PostgresSeriesBackend : public SeriesBackend {
public:
    PostgresSeriesBackend() {
        server_ = testsupport::PgServer::Shared(&error_);
        if (server_) server_->Exec("TRUNCATE runit, rhour, rday, rdaymax, rdaymin, rupdate;", &error_);
    }
    std::string SetUpError() const override { return server_ ? error_ : "PostgreSQL: " + error_; }
    std::string ConnectionString() const override { return server_->ConnectionString(); }
    std::string ProgramFolder() const override { return "/nonexistent/"; }
    bool Exec(const std::string& sql, std::string* error) override { return server_->Exec(sql, error); }

private:
    testsupport::PgServer* server_ = nullptr;
    std::string error_;
};

INSTANTIATE_TEST_SUITE_P(Postgres, SeriesEngineTest,
                         ::testing::Values(EngineParam{
                             "PostgreSQL", [] { return std::unique_ptr<SeriesBackend>(new PostgresSeriesBackend); }}),
                         EngineName);

}  // namespace
}  // namespace tidemark::seriestest
