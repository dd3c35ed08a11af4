// The catalogue and update-stamp cases on a private MariaDB server through ODBC.
#include "catalogue_cases.h"
#include "mariadb_backends.h"

namespace tidemark {
namespace {

class MariaBackend : public DataBackend {
public:
    std::string SetUpError() const override { return tables_.SetUpError(); }
    std::string ConnectionString() const override { return tables_.ConnectionString(); }
    std::string ProgramFolder() const override { return "/nonexistent/"; }
    bool Fill(const std::string& sql, std::string* error) override { return tables_.Exec(sql, error); }

private:
    mariatest::MariaTables tables_{"rsite,rupdate"};
};

INSTANTIATE_TEST_SUITE_P(Engines, CatalogueAndStamp,
                         ::testing::Values(DataBackendParam{
                             "MariaDB", [] { return std::unique_ptr<DataBackend>(new MariaBackend); }}),
                         DataBackendName);

}  // namespace
}  // namespace tidemark
