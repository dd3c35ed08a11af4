// The texts of the series statements and the rewrites applied to them.
#include <gtest/gtest.h>

#include "core/daynum.h"
#include "data/series_statements.h"

namespace tidemark {
namespace {

const double kStart = DateSerial(2020, 3, 1);
const double kEnd = DateSerial(2020, 3, 8);

TEST(SeriesStatements, AreWrittenAsTheProgramWritesThem) {
    EXPECT_EQ(HourlyStatement(1234, kStart, kEnd, false),
              "select date_time, value from rhour where datatype_site_id = 1234 and date_time "
              "between #01-Mar-2020# and #08-Mar-2020# order by date_time;");
    EXPECT_EQ(UnitValuesStatement(7, kStart, kEnd),
              "select date_time, value from runit where datatype_site_id = 7 and date_time "
              "between #01-Mar-2020# and #08-Mar-2020# order by date_time;");
    EXPECT_EQ(DailyStatement(7, kStart, kEnd - 1),
              "select date_time, value from rday where datatype_site_id = 7 and date_time "
              "between #01-Mar-2020# and #07-Mar-2020# order by date_time;");
    EXPECT_EQ(MonthSoFarStatement(7, DateSerial(2020, 3, 1), DateSerial(2020, 3, 19)),
              "select date_time, value from rday where datatype_site_id =7 and date_time between #01-Mar-2020# "
              "and #19-Mar-2020# order by date_time;");
}

TEST(SeriesStatements, TheDailyMaxMinPartsFollowTheFirstSemicolon) {
    EXPECT_EQ(HourlyStatement(5, kStart, kEnd, true),
              "select date_time, value from rhour where datatype_site_id = 5 and date_time "
              "between #01-Mar-2020# and #08-Mar-2020# order by date_time;"
              "union select date_time, value from rdaymax where datatype_site_id = 5 and "
              "date_time between #01-Mar-2020# and #08-Mar-2020# order by date_time;"
              "union select date_time, value from rdaymin where datatype_site_id = 5 and "
              "date_time between #01-Mar-2020# and #08-Mar-2020# order by date_time, value;");
}

TEST(SeriesStatements, RewritesApplyInTheirOrder) {
    SetupSettings jet;
    std::string unit = UnitValuesStatement(5, kStart, kEnd);
    EXPECT_EQ(RewriteStatement(unit, jet, false), unit);
    EXPECT_NE(RewriteStatement(unit, jet, true).find("from rhour where"), std::string::npos);

    SetupSettings excel;
    excel.excelmode = true;
    std::string sheets = RewriteStatement(unit, excel, true);
    EXPECT_NE(sheets.find("from [rhour$] where"), std::string::npos) << sheets;
    EXPECT_NE(sheets.find("#01-Mar-2020#"), std::string::npos);

    std::string merged = RewriteStatement(HourlyStatement(5, kStart, kEnd, true), excel, false);
    EXPECT_NE(merged.find("from [rhour$] where"), std::string::npos) << merged;
    EXPECT_NE(merged.find("from [rdaymax$] where"), std::string::npos) << merged;
    EXPECT_NE(merged.find("from [rdaymin$] where"), std::string::npos) << merged;
    EXPECT_NE(RewriteStatement(DailyStatement(5, kStart, kEnd), excel, false).find("from [rday$] where"),
              std::string::npos);

    SetupSettings other;
    other.quotedates = true;
    std::string quoted = RewriteStatement(HourlyStatement(5, kStart, kEnd, false), other, false);
    EXPECT_NE(quoted.find("between '01-Mar-2020' and '08-Mar-2020'"), std::string::npos) << quoted;
    EXPECT_EQ(quoted.find('#'), std::string::npos);
}

}  // namespace
}  // namespace tidemark
