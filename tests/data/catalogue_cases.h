#pragma once
// Catalogue and update-stamp cases every engine must pass, written once and instantiated
// per engine: SQLite and ODBC-on-SQLite in the unit tests, PostgreSQL and MariaDB
// through ODBC in the integration tests. Include in exactly one .cpp of a test program.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "core/daynum.h"
#include "data/connection_rules.h"
#include "data/site_catalogue_loader.h"
#include "data/update_check.h"
#include "support/recording_host.h"

namespace tidemark {

// A database holding the schema, filled by the test and then read by the program.
class DataBackend {
public:
    virtual ~DataBackend() = default;
    virtual std::string SetUpError() const = 0;        // empty when ready
    virtual std::string ConnectionString() const = 0;  // as line 7 of the setup file holds it
    virtual std::string ProgramFolder() const = 0;
    virtual bool Fill(const std::string& sql, std::string* error) = 0;
};

struct DataBackendParam {
    const char* name;
    std::unique_ptr<DataBackend> (*make)();
};

inline void PrintTo(const DataBackendParam& param, std::ostream* os) { *os << param.name; }
inline std::string DataBackendName(const ::testing::TestParamInfo<DataBackendParam>& info) { return info.param.name; }

inline SiteEntry Site(int32_t dsid, std::string site, int32_t datatype, std::string datatypeName, std::string unit) {
    SiteEntry e;
    e.dsid = dsid;
    e.sitename = std::move(site);
    e.datatypeid = datatype;
    e.datatypename = std::move(datatypeName);
    e.unitname = std::move(unit);
    return e;
}

class CatalogueAndStamp : public ::testing::TestWithParam<DataBackendParam> {
protected:
    void SetUp() override {
        backend_ = GetParam().make();
        std::string error = backend_->SetUpError();
        ASSERT_TRUE(error.empty()) << error;
        settings_.connectionstring = backend_->ConnectionString();
        ApplyConnectionRules(settings_, backend_->ProgramFolder());
    }

    void Fill(const std::string& sql) {
        std::string error;
        ASSERT_TRUE(backend_->Fill(sql, &error)) << error;
    }

    Result<CatalogueLoad> Load(SiteCatalogue& catalogue) {
        return LoadSiteCatalogue(host_, settings_, backend_->ProgramFolder(), catalogue);
    }

    Result<bool> Check(double& lastUpdate) {
        return CheckUpdate(host_, settings_, backend_->ProgramFolder(), lastUpdate);
    }

    std::unique_ptr<DataBackend> backend_;
    SetupSettings settings_;
    RecordingHost host_;
};

TEST_P(CatalogueAndStamp, RowsInSiteNameOrderWithMonthlyEntriesAfterTheirRow) {
    // Inserted out of order; one name holds ";" and one row has no names or unit.
    Fill(
        "insert into rsite values (40, 'Dam Outlet', 1, 'Stage', 'ft', 4);"
        "insert into rsite values (20, 'Birch; North Fork', 27, 'Evaporation', 'in', 2);"
        "insert into rsite values (10, 'Alder Creek', 10, 'Precipitation', 'in', 1);"
        "insert into rsite values (30, 'Cedar Hill', 11, 'Precip Total', 'mm', 3);"
        "insert into rsite values (50, 'Elm Gauge', 12, null, null, null);");
    SiteCatalogue catalogue;
    catalogue.AppendWebScreen("http://left.over/", 1, 0);  // replaced, not kept
    Result<CatalogueLoad> load = Load(catalogue);
    ASSERT_TRUE(load.ok()) << load.error();
    EXPECT_EQ(load->rows, 5);
    EXPECT_EQ(load->rowsLeftOut, 0);
    std::vector<SiteEntry> expected{
        Site(10, "Alder Creek", 10, "Precipitation", "in"),
        Site(10, "Alder Creek", 10, "Monthly Rainfall", "in"),
        Site(20, "Birch, North Fork", 27, "Evaporation", "in"),
        Site(20, "Birch, North Fork", 27, "Monthly ET", "in"),
        Site(30, "Cedar Hill", 11, "Precip Total", "mm"),
        Site(30, "Cedar Hill", 11, "Monthly Rainfall", "mm"),
        Site(40, "Dam Outlet", 1, "Stage", "ft"),
        Site(50, "Elm Gauge", 12, "", ""),
    };
    EXPECT_EQ(catalogue.Entries(), expected);
    EXPECT_EQ(catalogue.Entry(2).datatypename, "Monthly Rainfall");
    EXPECT_EQ(host_.yields, 1);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_P(CatalogueAndStamp, SiteNamesSortWithoutRegardToLetterCase) {
    Fill(
        "insert into rsite values (1, 'beaver Pond', 1, 'Stage', 'ft', 1);"
        "insert into rsite values (2, 'Zuni Wash', 1, 'Stage', 'ft', 2);"
        "insert into rsite values (3, 'alder Creek', 1, 'Stage', 'ft', 3);"
        "insert into rsite values (4, 'Birch', 1, 'Stage', 'ft', 4);"
        "insert into rsite values (5, 'ALDER CREEK', 2, 'Flow', 'cfs', 5);"
        "insert into rsite values (6, 'Aspen', 1, 'Stage', 'ft', 6);");
    SiteCatalogue catalogue;
    ASSERT_TRUE(Load(catalogue).ok());
    std::vector<int32_t> order;
    for (const SiteEntry& e : catalogue.Entries()) order.push_back(e.dsid);
    // Equal names but for case: 3 and 5 in either order, then the rest by name.
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(std::vector<int32_t>(order.begin() + 2, order.end()), (std::vector<int32_t>{6, 1, 4, 2}));
    EXPECT_EQ(std::set<int32_t>(order.begin(), order.begin() + 2), (std::set<int32_t>{3, 5}));
}

TEST_P(CatalogueAndStamp, EmptySiteTableGivesAnEmptyCatalogue) {
    SiteCatalogue catalogue;
    catalogue.AppendWebScreen("http://left.over/", 1, 0);
    Result<CatalogueLoad> load = Load(catalogue);
    ASSERT_TRUE(load.ok()) << load.error();
    EXPECT_EQ(load->rows, 0);
    EXPECT_TRUE(catalogue.Empty());
}

TEST_P(CatalogueAndStamp, StampIsTheRowOfIdentifierZeroOnly) {
    Fill(
        "insert into rupdate values (7, 'logger', '2021-06-15 09:00:00');"
        "insert into rupdate values (0, 'loader', '2021-06-15 13:45:30');"
        "insert into rupdate values (12, 'logger', '2022-01-01 00:00:00');");
    double lastUpdate = 1;
    Result<bool> found = Check(lastUpdate);
    ASSERT_TRUE(found.ok()) << found.error();
    EXPECT_TRUE(found.value());
    EXPECT_DOUBLE_EQ(lastUpdate, MakeDayNumber(2021, 6, 15, 13, 45, 30));
    EXPECT_EQ(host_.yields, 2);  // before opening, and before taking the found stamp

    // Nothing changed in between: the same stamp, so no reload would follow.
    double before = lastUpdate;
    ASSERT_TRUE(Check(lastUpdate).ok());
    EXPECT_EQ(lastUpdate, before);

    Fill("update rupdate set date_time = '2021-06-15 14:00:00' where datatype_site_id = 0;");
    ASSERT_TRUE(Check(lastUpdate).ok());
    EXPECT_DOUBLE_EQ(lastUpdate, MakeDayNumber(2021, 6, 15, 14, 0, 0));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_P(CatalogueAndStamp, StampIsKeptWhenIdentifierZeroHasNoRow) {
    const double kept = MakeDayNumber(2020, 2, 29, 23, 0, 0);
    double lastUpdate = kept;
    Result<bool> found = Check(lastUpdate);  // empty table
    ASSERT_TRUE(found.ok()) << found.error();
    EXPECT_FALSE(found.value());
    EXPECT_EQ(lastUpdate, kept);
    EXPECT_EQ(host_.yields, 1);

    Fill(
        "insert into rupdate values (3, 'logger', '2021-06-15 09:00:00');"
        "insert into rupdate values (100, 'logger', '2021-06-15 10:00:00');");
    found = Check(lastUpdate);
    ASSERT_TRUE(found.ok()) << found.error();
    EXPECT_FALSE(found.value());
    EXPECT_EQ(lastUpdate, kept);
}

}  // namespace tidemark
