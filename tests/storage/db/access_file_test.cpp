// Access files made by the real engine (Jet 3, Jet 4, ACE 12), copied into memory and
// compared table by table, field by field, with what mdb-export (an independent reader
// of the same files) prints.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/windows1252.h"
#include "storage/db/access_file.h"
#include "storage/db/database.h"
#include "storage/db/file_database.h"
#include "storage/db/sqlite_copy.h"
#include "storage/db/sqlite_run.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace tidemark {
namespace {

namespace fs = std::filesystem;
using testsupport::TempFolder;

// Real files made by the engine itself, kept with the tests (see SOURCE.md there).
std::string AccessDataFolder() {
    const char* env = std::getenv("TIDEMARK_ACCESS_TESTDATA");
    return env ? std::string(env) + "/" : std::string(TIDEMARK_SOURCE_DIR) + "/tests/data_files/access/";
}

// A copy of a real file in a fresh folder, so nothing ever touches the originals.
class AccessCopy {
public:
    explicit AccessCopy(const std::string& name) : path_(folder_.File(name)) {
        std::error_code ec;
        fs::copy_file(AccessDataFolder() + name, path_, ec);
        if (ec) error_ = "Cannot copy " + name + ": " + ec.message();
        fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add, ec);
    }
    const std::string& Path() const { return path_; }
    const std::string& error() const { return error_; }
    std::string ConnectionString() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + ";User Id=admin;Password=;";
    }

private:
    TempFolder folder_{"tm_access"};
    std::string path_;
    std::string error_;
};

std::string RunTool(const std::vector<std::string>& argv, const std::string& logFolder) {
    testsupport::ProgramResult r = testsupport::RunProgram(argv, logFolder + "mdb.log", 120);
    EXPECT_EQ(r.exitCode, 0) << testsupport::CommandLine(argv) << "\n" << r.output;
    return r.output;
}

// mdb-export's CSV: text quoted (quotes doubled), NULL an empty unquoted field.
using CsvField = std::optional<std::string>;
std::vector<std::vector<CsvField>> ParseCsv(const std::string& text) {
    std::vector<std::vector<CsvField>> rows(1);
    std::string field;
    bool quoted = false, inQuotes = false;
    auto endField = [&] {
        rows.back().push_back(quoted || !field.empty() ? CsvField(field) : std::nullopt);
        field.clear();
        quoted = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                inQuotes = false;
            else
                field += c;
        } else if (c == '"') {
            inQuotes = quoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n') {
            endField();
            rows.emplace_back();
        } else {
            field += c;
        }
    }
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

std::string ProgramTextOf(const std::string& utf8) {
    std::string out;
    AppendUtf8AsWindows1252(utf8, out);
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// mdb-export writes a date it cannot convert (before 1900 or after 9999's range of its
// own calendar code) as this.
const char kUnconvertedDate[] = "1900-01-00 00:00:00";

void ExpectTableMatchesExport(Database& db, const AccessCopy& file, const std::string& table,
                              const std::string& folder) {
    SCOPED_TRACE(table);
    auto csv = ParseCsv(RunTool({"mdb-export", "-T", "%Y-%m-%d %H:%M:%S", "-b", "hex", file.Path(), table}, folder));
    ASSERT_FALSE(csv.empty());
    Result<Recordset> rs = db.OpenRecordset("select * from [" + ProgramTextOf(table) + "]");
    ASSERT_TRUE(rs.ok()) << rs.error();
    ASSERT_EQ(rs->FieldCount(), static_cast<int>(csv[0].size()));
    for (int i = 0; i < rs->FieldCount(); ++i) EXPECT_EQ(rs->FieldName(i), ProgramTextOf(csv[0][i].value_or("")));
    ASSERT_EQ(rs->RecordCount(), static_cast<long>(csv.size() - 1));
    for (size_t r = 1; r < csv.size() && !rs->Eof(); ++r, rs->MoveNext()) {
        for (int i = 0; i < rs->FieldCount(); ++i) {
            const CsvField& expected = csv[r][static_cast<size_t>(i)];
            SCOPED_TRACE("row " + std::to_string(r) + " column " + rs->FieldName(i));
            FieldValue got = rs->Field(i).value();
            if (!expected) {
                EXPECT_EQ(got.kind, FieldValue::Kind::Null);
                continue;
            }
            if (*expected == kUnconvertedDate) continue;  // checked on its own below
            ASSERT_NE(got.kind, FieldValue::Kind::Null) << *expected;
            if (got.kind == FieldValue::Kind::Number) {
                double want = std::strtod(expected->c_str(), nullptr);
                EXPECT_NEAR(got.number, want, 1e-6 * std::max(1.0, std::fabs(want))) << *expected;
            } else if (got.text.size() * 2 == expected->size() && Hex(got.text) == *expected) {
                // binary and OLE fields, printed in hexadecimal
            } else {
                EXPECT_EQ(got.text, ProgramTextOf(*expected));
            }
        }
    }
}

class AccessFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(AccessFileTest, EveryTableCopiesAsMdbExportReadsIt) {
    AccessCopy file(GetParam());
    ASSERT_EQ(file.error(), "");
    TempFolder logs("tm_access_log");
    std::vector<std::string> tables =
        testsupport::NonEmptyLines(RunTool({"mdb-tables", "-1", file.Path()}, logs.Path()));
    ASSERT_FALSE(tables.empty());
    Result<std::unique_ptr<Database>> db = OpenConnection(file.ConnectionString(), "/tmp/");
    ASSERT_TRUE(db.ok()) << db.error();
    EXPECT_EQ(db.value()->EngineName(), "Access file");
    for (const std::string& table : tables) ExpectTableMatchesExport(*db.value(), file, table, logs.Path());
}

INSTANTIATE_TEST_SUITE_P(RealFiles, AccessFileTest,
                         ::testing::Values("nwind.mdb", "DateTestDatabase.mdb", "ASampleDatabase.accdb"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.')) +
                                    (name.find(".accdb") != std::string::npos ? "Accdb" : "Mdb");
                         });

TEST(AccessFile, DatesOutsideTheUsualRangeAndTimesComeThrough) {
    AccessCopy file("DateTestDatabase.mdb");
    ASSERT_EQ(file.error(), "");
    Result<std::unique_ptr<Database>> db = OpenConnection(file.ConnectionString(), "/tmp/");
    ASSERT_TRUE(db.ok()) << db.error();
    Result<Recordset> rs =
        db.value()->OpenRecordset("select IDCol, DateTimeCol, DateCol, TimeCol from DateTest order by IDCol");
    ASSERT_TRUE(rs.ok()) << rs.error();
    // mdb-export cannot show rows 2 to 4; the years are those the rows' texts describe,
    // and before 1900 the days must not slip by one (OLE dates count days backwards
    // but hours forwards there).
    std::vector<std::string> expected = {"1 2021-12-02 00:00:00 | 2021-12-02 00:00:00 | 2021-12-02 00:00:00",
                                         "2 9999-01-01 00:00:00 | 9999-01-01 00:00:00 | 9999-01-01 00:00:00",
                                         "3 1898-01-01 00:00:00 | 1899-01-01 00:00:00 | 1900-01-01 00:00:00",
                                         "4 0632-01-01 00:00:00 | 0633-01-01 00:00:00 | 0634-01-01 00:00:00",
                                         "5 2021-12-02 00:00:00 | 2021-12-02 00:00:00 | 2021-12-02 00:00:00",
                                         "6 2021-12-02 00:00:00 | 2021-12-02 00:00:00 | 2021-12-02 00:00:00"};
    std::vector<std::string> got;
    for (; !rs->Eof(); rs->MoveNext())
        got.push_back(rs->Text(0).value() + " " + rs->Text(1).value() + " | " + rs->Text(2).value() + " | " +
                      rs->Text(3).value());
    EXPECT_EQ(got, expected);
    // Date-times read back as day numbers the calendar code agrees with.
    Result<Recordset> first = db.value()->OpenRecordset("select DateTimeCol from DateTest where IDCol = 3");
    ASSERT_TRUE(first.ok()) << first.error();
    EXPECT_DOUBLE_EQ(first->DayNumber(0).value(), -728.0);  // 1 January 1898
}

TEST(AccessFile, ADayNumberBeyondAnyCalendarIsCopiedAsItsNumber) {
    EXPECT_EQ(DateTimeText(46364.5), "2026-12-08 12:00:00");
    EXPECT_EQ(DateTimeText(1e300), "1.0000000000000001e+300");
    EXPECT_EQ(DateTimeText(-4e6), "-4000000");
    EXPECT_EQ(DateTimeText(std::nan("")), "nan");
}

TEST(AccessFile, HdbStatementsRunOnTheCopy) {
    // The statements of the program, in Jet's own form, reach an Access file's tables
    // through the dialect step: dates between "#", an order by, a between.
    AccessCopy file("nwind.mdb");
    ASSERT_EQ(file.error(), "");
    Result<std::unique_ptr<Database>> db = OpenConnection(file.ConnectionString(), "/tmp/");
    ASSERT_TRUE(db.ok()) << db.error();
    Result<Recordset> rs = db.value()->OpenRecordset(
        "select OrderID, OrderDate, Freight from Orders where EmployeeID = 3 and OrderDate between #01-Jan-1995# "
        "and #31-Jan-1995# order by OrderDate;");
    ASSERT_TRUE(rs.ok()) << rs.error();
    TempFolder logs("tm_access_log");
    auto csv = ParseCsv(RunTool({"mdb-export", "-T", "%Y-%m-%d %H:%M:%S", file.Path(), "Orders"}, logs.Path()));
    long expected = 0;
    for (size_t r = 1; r < csv.size(); ++r)
        if (csv[r][2] == "3" && csv[r][3] && *csv[r][3] >= "1995-01-01" && *csv[r][3] <= "1995-01-31 00:00:00")
            ++expected;
    ASSERT_GT(expected, 0);
    EXPECT_EQ(rs->RecordCount(), expected);
    double last = 0;
    for (; !rs->Eof(); rs->MoveNext()) {
        double day = rs->DayNumber(1).value();
        EXPECT_GE(day, last);
        last = day;
    }
}

TEST(AccessFile, CopiesOnlyTheNamedTablesThatExist) {
    AccessCopy file("nwind.mdb");
    ASSERT_EQ(file.error(), "");
    Result<SqliteCopy> copy = SqliteCopy::Create();
    ASSERT_TRUE(copy.ok()) << copy.error();
    Result<bool> copied = CopyAccessFile(file.Path(), copy.value(), {"orders", "shippers", "rhour"});
    ASSERT_TRUE(copied.ok()) << copied.error();
    EXPECT_EQ(copy->RowsCopied(), 830 + 3);
    Result<std::shared_ptr<sqlite3>> db = copy->Finish();
    ASSERT_TRUE(db.ok()) << db.error();
    Result<Recordset> tables =
        RunOnSqlite(db.value().get(), "select name from sqlite_master where type = 'table' order by name");
    ASSERT_TRUE(tables.ok()) << tables.error();
    std::vector<std::string> names;
    for (; !tables->Eof(); tables->MoveNext()) names.push_back(tables->Text(0).value());
    EXPECT_EQ(names, (std::vector<std::string>{"Orders", "Shippers"}));
}

}  // namespace
}  // namespace tidemark
