// A whole program folder served from a workbook: the demo's rows, moved from its SQLite
// file into an .xlsx and an .xls workbook, give the same JSON export as the SQLite file
// itself, page by page and point by point.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/textfile.h"
#include "support/run_program.h"
#include "support/workbook_files.h"

namespace {

namespace fs = std::filesystem;
using tidemark::testsupport::RunProgram;

const char kNow[] = "2024-03-01 07:25";

// An .xls sheet holds at most 65,536 rows, so the unit values are cut to the last
// 60,000 or so, which the pages still show; every other table is whole.
bool TrimUnitValues(const std::string& db, std::string* error) {
    sqlite3* handle = nullptr;
    bool ok = sqlite3_open(db.c_str(), &handle) == SQLITE_OK &&
              sqlite3_exec(handle,
                           "delete from runit where date_time <= "
                           "(select date_time from runit order by date_time desc limit 1 offset 60000);",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok && error) *error = sqlite3_errmsg(handle);
    sqlite3_close(handle);
    return ok;
}

// Line 7 of the setup names the database.
bool PointSetupAt(const std::string& folder, const std::string& connection) {
    auto text = tidemark::ReadFileBytes(folder + "Tidemark_setup.txt");
    if (!text) return false;
    std::vector<std::string> lines = tidemark::SplitLines(*text);
    if (lines.size() < 8) return false;
    lines[6] = "Database Connection String= " + connection;
    return tidemark::WriteFileAtomic(folder + "Tidemark_setup.txt", tidemark::JoinLinesCrLf(lines)).ok();
}

std::string Export(const std::string& folder) {
    std::string out = folder + "pages.json";
    auto r =
        RunProgram({TIDEMARK_EXE, "--folder", folder, "--export-json", out, "--now", kNow}, folder + "run.log", 600);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return tidemark::ReadFileBytes(out).value_or("");
}

class WorkbookFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tm_workbook_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        sqliteFolder_ = root_ + "/Tidemark/";
        auto r = RunProgram({TIDEMARK_DEMO_EXE, sqliteFolder_, "--now", kNow}, root_ + "/demo.log", 300);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        std::string error;
        ASSERT_TRUE(TrimUnitValues(sqliteFolder_ + "tidemark_demo.sqlite", &error)) << error;
    }
    void TearDown() override { fs::remove_all(root_); }

    // The demo folder beside the SQLite one, its database a workbook of the same rows.
    std::string WorkbookCopy(const std::string& name, const std::string& extendedProperties) {
        std::string folder = root_ + "/Book" + name + "/";
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(sqliteFolder_))
            if (entry.path().extension() != ".sqlite")
                fs::copy(entry.path(), folder + entry.path().filename().string());
        std::string error;
        EXPECT_TRUE(tidemark::testsupport::WriteWorkbookFromSqlite(sqliteFolder_ + "tidemark_demo.sqlite",
                                                                   folder + name, &error))
            << error;
        EXPECT_TRUE(PointSetupAt(folder, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + name +
                                             ";Extended Properties=" + extendedProperties + ";"));
        return folder;
    }

    std::string root_;
    std::string sqliteFolder_;
};

TEST_F(WorkbookFolder, XlsxAndXlsExportAsTheSqliteFileDoes) {
    std::string expected = Export(sqliteFolder_);
    ASSERT_GT(expected.size(), 10000u);  // pages of graphs, not an empty export
    for (const auto& [name, properties] :
         std::vector<std::pair<std::string, std::string>>{{"hdb.xlsx", "Excel 12.0 Xml"}, {"hdb.xls", "Excel 8.0"}}) {
        SCOPED_TRACE(name);
        std::string folder = WorkbookCopy(name, properties);
        std::string got = Export(folder);
        EXPECT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected) << "the exports differ; see " << folder << "pages.json";
    }
}

}  // namespace
