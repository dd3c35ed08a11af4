// The headless JSON export of the built program, on small fixture folders with a fixed
// clock, checked field by field.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/daynum.h"
#include "core/textfile.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"

using namespace tidemark;
using testsupport::SqliteFixture;

namespace {

std::string SetupText(const std::vector<std::string>& pageLines) {
    return testsupport::SqliteSetupText(3, 0, pageLines);
}

// graph; dsid; parameter; station; hrmarker; daymarker; logy; back; back2; hr; day; high; low;
// watchcount; rankcum [; freqtype [; c1; c2; c3]]
std::string Graph(int n, const std::string& dsid, const std::string& station, double high, int rankcum,
                  const std::string& tail = "") {
    return " " + std::to_string(n) + " ; " + dsid + " ;Stage;" + station +
           "; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; " + std::to_string(high) + " ; 0 ; 0 ; " +
           std::to_string(rankcum) + " " + tail;
}

std::string Rows(int dsid, const char* table, const std::vector<std::pair<std::string, double>>& rows) {
    std::string sql;
    for (const auto& [t, v] : rows)
        sql += "INSERT INTO " + std::string(table) + " VALUES (" + std::to_string(dsid) + ", '" + t + "', " +
               std::to_string(v) + ");";
    return sql;
}

class JsonExportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db_.ok()) << db_.error(); }

    // Runs the export at 10 March 2026 14:00 and parses what it wrote.
    QJsonObject Export(const std::string& setup, int expectedExit = 0) {
        EXPECT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt", setup));
        std::string out = db_.Folder() + "pages.json";
        auto r = testsupport::RunProgram(
            {TIDEMARK_EXE, "--folder", db_.Folder(), "--export-json", out, "--now", "2026-03-10 14:00"},
            db_.Folder() + "run.log");
        output_ = r.output;
        EXPECT_EQ(r.exitCode, expectedExit) << r.output;
        auto bytes = ReadFileBytes(out);
        if (!bytes) return {};
        return QJsonDocument::fromJson(QByteArray::fromStdString(*bytes)).object();
    }

    static QJsonObject GraphAt(const QJsonObject& root, int page, int slot) {
        for (const auto& p : root["pages"].toArray())
            if (p.toObject()["page"].toInt() == page)
                for (const auto& g : p.toObject()["graphs"].toArray())
                    if (g.toObject()["slot"].toInt() == slot) return g.toObject();
        return {};
    }

    static QJsonObject SeriesOf(const QJsonObject& graph, int column) {
        for (const auto& s : graph["series"].toArray())
            if (s.toObject()["column"].toInt() == column) return s.toObject();
        return {};
    }

    SqliteFixture db_{"", "tidemark.db"};
    std::string output_;
};

}  // namespace

TEST_F(JsonExportTest, TitlesValuesWarningsRanksTotalsAndCompass) {
    std::string sql =
        "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
        "INSERT INTO rsite VALUES (102, 'Hill', 2, 'Wind Direction', 'direction', 2);"
        "INSERT INTO rsite VALUES (103, 'Old Gauge', 1, 'Stage', 'ft', 3);"
        "INSERT INTO rsite VALUES (104, 'Ridge', 10, 'Rain', 'inches', 4);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');" +
        Rows(101, "rhour", {{"2026-03-10 11:00:00", 1.5}, {"2026-03-10 12:00:00", 2.5}, {"2026-03-10 13:00:00", 3}}) +
        Rows(102, "rhour", {{"2026-03-10 13:00:00", 1}}) + Rows(103, "rhour", {{"2026-03-10 10:05:00", 4.25}}) +
        Rows(104, "rhour", {{"2026-03-10 10:00:00", 0.1}, {"2026-03-10 11:00:00", 0.2}, {"2026-03-10 12:00:00", 0.05}});
    ASSERT_TRUE(db_.Exec(sql));
    QJsonObject root = Export(SetupText({" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "101", "Creek", 2, 0),
                                         Graph(2, "102", "Hill", 0, 0), Graph(3, "103", "Old Gauge", 0, 0),
                                         Graph(4, "104", "Ridge", 0, 2), Graph(5, "101", "Creek Ranked", 0, -1)}));
    ASSERT_FALSE(root.isEmpty()) << output_;
    EXPECT_EQ(root["windowStart"].toDouble(), DateSerial(2026, 3, 8));
    EXPECT_EQ(root["windowEnd"].toDouble(), DateSerial(2026, 3, 11));
    EXPECT_EQ(root["span"].toInt(), 3);
    EXPECT_EQ(root["lastUpdate"].toDouble(), MakeDayNumber(2026, 3, 10, 13, 5));
    QJsonObject page = root["pages"].toArray()[0].toObject();
    EXPECT_EQ(page["caption"].toString(), "Rivers 2026-Mar-10 updated at 01:05 PM");

    QJsonObject creek = GraphAt(root, 1, 0);
    EXPECT_EQ(creek["title"].toString(), "Creek\r\n3 ft Mar 10 1:00 PM");
    EXPECT_EQ(creek["currentValue"].toDouble(), 3);
    EXPECT_EQ(creek["unit"].toString(), "ft");
    EXPECT_TRUE(creek["warning"].toBool());  // 3 is above the high watch level of 2
    QJsonObject y = creek["yAxis"].toObject();
    EXPECT_FALSE(y["auto"].toBool());
    EXPECT_LE(y["min"].toDouble(), 1.5);
    EXPECT_GE(y["max"].toDouble(), 3);
    EXPECT_GT(y["step"].toDouble(), 0);
    EXPECT_EQ(creek["xAxis"].toObject()["format"].toString(), "mmmdd");
    EXPECT_EQ(creek["xAxis"].toObject()["major"].toInt(), 3);  // one division per day

    EXPECT_EQ(GraphAt(root, 1, 1)["title"].toString(), "Hill\r\nEast direction Mar 10 1:00 PM");

    QJsonObject stale = GraphAt(root, 1, 2);
    EXPECT_EQ(stale["currentValue"].toDouble(), -9999);
    EXPECT_EQ(stale["title"].toString(), "Old Gauge\r\nMissing ft Mar 10 10:05 AM");
    EXPECT_FALSE(stale["warning"].toBool());

    // The cumulative graph shows its running total.
    QJsonObject total = GraphAt(root, 1, 3);
    EXPECT_NEAR(total["currentValue"].toDouble(), 0.35, 1e-9);
    QJsonArray totals = SeriesOf(total, 1)["y"].toArray();
    std::vector<double> present;
    for (const auto& v : totals)
        if (!v.isNull()) present.push_back(v.toDouble());
    ASSERT_GE(present.size(), 3u);
    EXPECT_NEAR(present.back(), 0.35, 1e-9);

    // The ranked graph holds its values sorted in series 5.
    QJsonObject ranked = GraphAt(root, 1, 4);
    std::vector<double> ranks;
    for (const auto& v : SeriesOf(ranked, 5)["y"].toArray())
        if (!v.isNull()) ranks.push_back(v.toDouble());
    EXPECT_EQ(ranks, (std::vector<double>{1.5, 2.5, 3}));
}

TEST_F(JsonExportTest, ProbabilityAnnotationAtTheNormalOnePercentQuantile) {
    double m = std::pow(10.0, 2.326);
    std::string sql =
        "INSERT INTO rsite VALUES (201, 'River', 1, 'Flow', 'cfs', 1);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');" +
        Rows(201, "rhour", {{"2026-03-10 12:00:00", 50}, {"2026-03-10 13:00:00", m}});
    ASSERT_TRUE(db_.Exec(sql));
    QJsonObject root = Export(
        SetupText({" 1 ;Flows; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "201", "River", 0, 0, "; 1 ; 0 ; 1 ; 0 ")}));
    QJsonObject g = GraphAt(root, 1, 0);
    std::string title = g["title"].toString().toStdString();
    EXPECT_NE(title.find(", P=100yrs"), std::string::npos) << title;
}

TEST_F(JsonExportTest, AFatalLoadExitsNonZeroWithTheMessageOnStandardError) {
    ASSERT_TRUE(db_.Exec("DROP TABLE rhour; INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"));
    QJsonObject root =
        Export(SetupText({" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "101", "Creek", 0, 0)}), 1);
    EXPECT_TRUE(root.isEmpty());
    EXPECT_NE(output_.find("Reading setup file " + db_.Folder() + "Tidemark_setup.txt on page #1"), std::string::npos)
        << output_;
}

// Texts of the setup file are Windows-1252, those of the database UTF-8; both reach the
// export as the same characters. Date-times written with "T" or fractional seconds at
// the very edges of the window are graphed like any other.
TEST_F(JsonExportTest, TextsOfBothSourcesAndEveryStoredDateFormArriveWhole) {
    std::string sql =
        "INSERT INTO rsite VALUES (101, 'Br\xC3\xBC"
        "cke', 1, 'Flow', 'm\xC2\xB3/s', 1);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');" +
        Rows(101, "rhour",
             {{"2026-03-08T00:00:00", 1}, {"2026-03-09 12:00:00.000", 2}, {"2026-03-11T00:00:00.000", 3}});
    ASSERT_TRUE(db_.Exec(sql));
    QJsonObject root = Export(SetupText({" 1 ;Caf\xE9 \x96 Flows; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "101",
                                                                                                      "Br\xFC"
                                                                                                      "cke",
                                                                                                      0, 0)}));
    ASSERT_FALSE(root.isEmpty()) << output_;
    EXPECT_EQ(root["pages"].toArray()[0].toObject()["title"].toString(), QString::fromUtf8("Café – Flows"));
    QJsonObject g = GraphAt(root, 1, 0);
    EXPECT_TRUE(g["title"].toString().startsWith(QString::fromUtf8("Brücke\r\n")))
        << g["title"].toString().toStdString();
    EXPECT_EQ(g["unit"].toString(), QString::fromUtf8("m³/s"));
    std::vector<double> days;
    for (const auto& x : SeriesOf(g, 1)["x"].toArray())
        if (!x.isNull()) days.push_back(x.toDouble());
    for (double edge : {DateSerial(2026, 3, 8), DateSerial(2026, 3, 11)})
        EXPECT_NE(std::find(days.begin(), days.end(), edge), days.end()) << "no point at day " << edge;
}
