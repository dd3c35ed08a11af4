// Record sets hold their rows in fixed blocks and SQLite files are read through the
// library directly: large and ragged record sets, text past a block's size, characters
// outside ASCII, and the quick reading of stored date-times.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/daynum.h"
#include "storage/db/database.h"
#include "support/sqlite_fixture.h"

namespace tidemark {
namespace {

TEST(RecordsetStorage, ManyRowsAndLongTextsReadBackInOrder) {
    Recordset::Builder builder({"n", "t"});
    std::string big(200000, 'x');
    for (int i = 0; i < 10000; ++i) {
        builder.AddNumber(i);
        if (i == 5000)
            builder.AddText(big);
        else
            builder.AddText("row " + std::to_string(i));
        builder.EndRow();
    }
    Recordset rs = builder.Finish();
    ASSERT_EQ(rs.RecordCount(), 10000);
    int i = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++i) {
        ASSERT_EQ(rs.Number(0).value(), i);
        ASSERT_EQ(rs.Text(1).value(), i == 5000 ? big : "row " + std::to_string(i)) << i;
    }
    EXPECT_EQ(i, 10000);
    Recordset copy = rs;  // record sets stay copyable
    rs.Close();
    EXPECT_FALSE(rs.Text(1).ok());
    EXPECT_EQ(copy.RecordCount(), 10000);
}

TEST(RecordsetStorage, ShortRowsSayHowManyFieldsTheyHave) {
    Recordset rs({"a", "b", "c"}, {{FieldValue::OfNumber(1)},
                                   {FieldValue::OfNumber(2), FieldValue::Null(), FieldValue::OfDateTime(3.5)}});
    EXPECT_EQ(rs.Number(0).value(), 1);
    ASSERT_FALSE(rs.Number(2).ok());
    EXPECT_EQ(rs.Number(2).error(), "There is no field 3: the record set has 1 fields");
    rs.MoveNext();
    EXPECT_TRUE(rs.IsNull(1));
    EXPECT_EQ(rs.DayNumber(2).value(), 3.5);
    EXPECT_EQ(rs.Field(2)->kind, FieldValue::Kind::DateTime);
}

TEST(RecordsetStorage, StoredDateTimesReadAsTheGeneralParserReadsThem) {
    std::vector<std::string> texts = {"2020-03-01 00:00:00", "2020-02-29 23:59:59", "1999-12-31 12:30:05",
                                      "2020-03-01T06:00:00", "2020-03-01 06:00",    "2020-03-01 06:00:00.5",
                                      " 2020-03-01 06:00:00"};
    Recordset::Builder builder({"t"});
    for (const std::string& text : texts) {
        builder.AddText(text);
        builder.EndRow();
    }
    Recordset rs = builder.Finish();
    for (const std::string& text : texts) {
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.DayNumber(0).value(), ParseIsoDateTime(text).value()) << text;
        rs.MoveNext();
    }
    for (const char* invalid : {"2021-02-29 00:00:00", "2020-13-01 00:00:00", "2020-03-01 24:00:00"}) {
        Recordset::Builder one({"t"});
        one.AddText(invalid);
        Recordset bad = one.Finish();
        EXPECT_FALSE(bad.DayNumber(0).ok()) << invalid;
    }
}

TEST(DirectSqlite, TextOutsideAsciiAndEmptyResultsComeBackAsThroughQt) {
    testsupport::SqliteFixture fixture(
        "insert into rsite values (1, 'Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8C\x8A', 10, 'Rain', 'mm', 7);"
        "insert into rsite values (2, CAST(X'41FF42' AS TEXT), 10, NULL, X'0102', 7);");
    ASSERT_TRUE(fixture.ok()) << fixture.error();
    Result<std::unique_ptr<Database>> db = OpenConnection(fixture.ConnectionString(), fixture.Folder());
    ASSERT_TRUE(db.ok()) << db.error();
    Result<Recordset> rs =
        db.value()->OpenRecordset("select site_name, datatype_name, unit_name from rsite order by datatype_site_id;");
    ASSERT_TRUE(rs.ok()) << rs.error();
    EXPECT_EQ(rs->FieldName(0), "site_name");
    // e-acute and the euro sign have Windows-1252 bytes; the wave (beyond 16 bits) has none.
    EXPECT_EQ(rs->Text(0).value(), "Caf\xE9 \x80 ??");
    rs->MoveNext();
    EXPECT_EQ(rs->Text(0).value(), "A?B");  // an invalid byte
    EXPECT_TRUE(rs->IsNull(1));
    EXPECT_EQ(rs->Text(2).value(), std::string("\x01\x02"));

    Result<Recordset> none = db.value()->OpenRecordset("select * from rhour where 1 = 0;");
    ASSERT_TRUE(none.ok()) << none.error();
    EXPECT_EQ(none->RecordCount(), 0);
    EXPECT_EQ(none->FieldCount(), 3);
    EXPECT_EQ(db.value()->OpenRecordset("select * from nosuch;").error(), "no such table: nosuch");
}

}  // namespace
}  // namespace tidemark
