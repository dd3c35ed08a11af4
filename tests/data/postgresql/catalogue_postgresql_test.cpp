// The catalogue and update-stamp cases on a private PostgreSQL server.
#include "catalogue_cases.h"
#include "support/pg_server.h"

namespace tidemark {
namespace {

class PostgresBackend : public DataBackend {
public:
    PostgresBackend() {
        server_ = testsupport::PgServer::Shared(&error_);
        if (server_) server_->Exec("TRUNCATE rsite, rupdate;", &error_);
    }
    std::string SetUpError() const override { return server_ ? error_ : "PostgreSQL: " + error_; }
    std::string ConnectionString() const override { return server_->ConnectionString(); }
    std::string ProgramFolder() const override { return "/nonexistent/"; }
    bool Fill(const std::string& sql, std::string* error) override { return server_->Exec(sql, error); }

private:
    testsupport::PgServer* server_ = nullptr;
    std::string error_;
};

INSTANTIATE_TEST_SUITE_P(Engines, CatalogueAndStamp,
                         ::testing::Values(DataBackendParam{
                             "PostgreSQL", [] { return std::unique_ptr<DataBackend>(new PostgresBackend); }}),
                         DataBackendName);

}  // namespace
}  // namespace tidemark
