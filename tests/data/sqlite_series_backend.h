#pragma once
// The series backend on a SQLite file in a temporary program folder.
#include "series_harness.h"
#include "support/sqlite_fixture.h"

namespace tidemark::seriestest {

class SqliteSeriesBackend : public SeriesBackend {
public:
    std::string SetUpError() const override { return fixture_.error(); }
    // Relative to the program folder, as a setup file names the demo database.
    std::string ConnectionString() const override { return "Provider=SQLite;Data Source=tidemark.db"; }
    std::string ProgramFolder() const override { return fixture_.Folder(); }
    bool Exec(const std::string& sql, std::string* error) override { return fixture_.Exec(sql, error); }
    const std::string& Path() const { return fixture_.Path(); }

private:
    testsupport::SqliteFixture fixture_;
};

}  // namespace tidemark::seriestest
