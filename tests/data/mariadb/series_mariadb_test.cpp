// The engine cases of the series fetch on a private MariaDB server through ODBC.
#include "mariadb_backends.h"
#include "series_cases.h"

namespace tidemark::seriestest {
namespace {

class MariaSeriesBackend : public SeriesBackend {
public:
    std::string SetUpError() const override { return tables_.SetUpError(); }
    std::string ConnectionString() const override { return tables_.ConnectionString(); }
    std::string ProgramFolder() const override { return "/nonexistent/"; }
    bool Exec(const std::string& sql, std::string* error) override { return tables_.Exec(sql, error); }

private:
    mariatest::MariaTables tables_{"runit,rhour,rday,rdaymax,rdaymin,rupdate"};
};

INSTANTIATE_TEST_SUITE_P(MariaDB, SeriesEngineTest,
                         ::testing::Values(EngineParam{
                             "MariaDB", [] { return std::unique_ptr<SeriesBackend>(new MariaSeriesBackend); }}),
                         EngineName);

}  // namespace
}  // namespace tidemark::seriestest
