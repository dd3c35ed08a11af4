#include <gtest/gtest.h>

#include "core/vbtext.h"
#include "data/connection_rules.h"

using namespace tidemark;

TEST(ConnectionRules, MissingDataSourceGivesTheCompanionDatabase) {
    const std::string jet =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/Ledgerly/LedgerlyHDB.mdb;User Id=admin;Password=;";
    EXPECT_EQ(CompleteConnectionString("", "/opt/Tidemark/"), jet);
    EXPECT_EQ(DefaultConnectionString("/opt/Tidemark"), jet);
    // Every "Tidemark" of the path, case-sensitive.
    EXPECT_EQ(DefaultConnectionString("/home/Tidemark/tidemark/Tidemark/"),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/home/Ledgerly/tidemark/Ledgerly/LedgerlyHDB.mdb;"
              "User Id=admin;Password=;");
    // "Source" with fewer than 10 characters from its start to the end.
    EXPECT_EQ(CompleteConnectionString("Provider=X;Data Source=", "/opt/Tidemark/"), jet);
    EXPECT_EQ(CompleteConnectionString("Provider=X;Data Source=abc", "/opt/Tidemark/"), jet);  // 9
    EXPECT_EQ(CompleteConnectionString("Provider=X;Data Source=abcd", "/opt/Tidemark/"),
              "Provider=X;Data Source=abcd");  // 10
    // Without "Source" the whole length counts.
    EXPECT_EQ(CompleteConnectionString("DSN=hydro", "/opt/Tidemark/"), jet);
    EXPECT_EQ(CompleteConnectionString("DSN=hydrox", "/opt/Tidemark/"), "DSN=hydrox");
    EXPECT_EQ(CompleteConnectionString("Provider=SQLite;Data Source=demo.db", "/x/"),
              "Provider=SQLite;Data Source=demo.db");
}

TEST(ConnectionRules, KindFromTheProviderValue) {
    std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/b.mdb";
    ConnectionKind k = RecogniseConnectionKind(jet);
    EXPECT_FALSE(k.quotedates);
    EXPECT_FALSE(k.excelmode);
    EXPECT_EQ(jet, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/b.mdb");

    std::string access = "Driver={Microsoft Access Driver (*.mdb)};Dbq=/a/b.mdb";
    EXPECT_FALSE(RecogniseConnectionKind(access).quotedates);

    std::string sqlserver = "Provider=SQLOLEDB;Data Source=server;Initial Catalog=hdb";
    EXPECT_TRUE(RecogniseConnectionKind(sqlserver).quotedates);
    std::string sqlite = "Provider=SQLite;Data Source=demo.db";
    EXPECT_TRUE(RecogniseConnectionKind(sqlite).quotedates);
    // Only the value between the first and second "=" counts.
    std::string late = "Provider=PostgreSQL;Host=jet.example.org";
    EXPECT_TRUE(RecogniseConnectionKind(late).quotedates);
    std::string none = "no equals sign here";
    EXPECT_TRUE(RecogniseConnectionKind(none).quotedates);
}

TEST(ConnectionRules, ExcelGainsTheHeaderOption) {
    std::string a = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/book.xls;Extended Properties=Excel 8.0";
    ConnectionKind k = RecogniseConnectionKind(a);
    EXPECT_TRUE(k.excelmode);
    EXPECT_FALSE(k.quotedates);
    EXPECT_EQ(a, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/book.xls;Extended Properties=Excel 8.0;HDR=Yes;");

    std::string b = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/book.xls;Extended Properties=Excel 8.0;";
    RecogniseConnectionKind(b);
    EXPECT_EQ(b, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/book.xls;Extended Properties=Excel 8.0;HDR=Yes;");

    std::string c = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/book.xls;Extended Properties=\"Excel 8.0;HDR=No\"";
    std::string before = c;
    RecogniseConnectionKind(c);
    EXPECT_EQ(c, before);

    // "HDR=" is looked for case-sensitively, "EXCEL" in any case.
    std::string d = "Driver=excel;hdr=no";
    EXPECT_TRUE(RecogniseConnectionKind(d).excelmode);
    EXPECT_EQ(d, "Driver=excel;hdr=no;HDR=Yes;");
}

TEST(ConnectionRules, ApplyCompletesAndSetsTheFlags) {
    SetupSettings s;
    s.connectionstring = "  ";
    ApplyConnectionRules(s, "/srv/Tidemark/");
    EXPECT_EQ(s.connectionstring,
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/Ledgerly/LedgerlyHDB.mdb;User Id=admin;Password=;");
    EXPECT_FALSE(s.quotedates);
    EXPECT_FALSE(s.excelmode);

    s.connectionstring = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/book.xlsx;Extended Properties=Excel 12.0";
    ApplyConnectionRules(s, "/srv/Tidemark/");
    EXPECT_TRUE(s.excelmode);
    EXPECT_TRUE(Contains(s.connectionstring, ";HDR=Yes;"));

    s.connectionstring = "Provider=SQLite;Data Source=demo.db";
    ApplyConnectionRules(s, "/srv/Tidemark/");
    EXPECT_TRUE(s.quotedates);
    EXPECT_FALSE(s.excelmode);
}

TEST(ConnectionRules, AdaptQueryToTheDatabaseKind) {
    const std::string q =
        "select date_time, value from rday where datatype_site_id = 5 and date_time >= #01-Mar-2024# "
        "order by date_time;union select date_time, value from rdaymax where datatype_site_id = 5";
    // Plain Jet: unchanged.
    EXPECT_EQ(AdaptQuery(q, {"rday", "rdaymax"}, ConnectionKind{false, false}), q);
    // Excel: only the tables the statement reads, and "rday" not inside "rdaymax".
    EXPECT_EQ(AdaptQuery(q, {"rday"}, ConnectionKind{true, false}),
              "select date_time, value from [rday$] where datatype_site_id = 5 and date_time >= #01-Mar-2024# "
              "order by date_time;union select date_time, value from rdaymax where datatype_site_id = 5");
    EXPECT_EQ(AdaptQuery(q, {"rday", "rdaymax"}, ConnectionKind{true, false}),
              "select date_time, value from [rday$] where datatype_site_id = 5 and date_time >= #01-Mar-2024# "
              "order by date_time;union select date_time, value from [rdaymax$] where datatype_site_id = 5");
    // Quoted dates.
    EXPECT_EQ(
        AdaptQuery("select * from rhour where date_time > #01-Mar-2024 13:00#", {"rhour"}, ConnectionKind{false, true}),
        "select * from rhour where date_time > '01-Mar-2024 13:00'");
    // The catalogue query in both forms; adapting twice changes nothing more.
    const std::string site = "select datatype_site_id, site_name from rsite order by site_name;";
    std::string once = AdaptQuery(site, {"rsite"}, ConnectionKind{true, true});
    EXPECT_EQ(once, "select datatype_site_id, site_name from [rsite$] order by site_name;");
    EXPECT_EQ(AdaptQuery(once, {"rsite"}, ConnectionKind{true, true}), once);

    SetupSettings s;
    s.excelmode = true;
    EXPECT_EQ(AdaptQuery("select max(date_time) from rupdate", {"rupdate"}, s),
              "select max(date_time) from [rupdate$]");
    EXPECT_EQ(KnownTables().size(), 7u);
}
