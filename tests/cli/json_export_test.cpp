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

// The export is written a graph at a time; compact and indented must still be one and
// the same document as Qt writes it whole (pages of several graphs, of one, of none),
// and a write that cannot finish leaves no file behind.
TEST_F(JsonExportTest, CompactAndPrettyAreTheSameDocumentWrittenWholeOrNotAtAll) {
    ASSERT_TRUE(db_.Exec("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);" +
                         Rows(101, "rhour", {{"2026-03-10 11:00:00", 1.5}, {"2026-03-10 12:00:00", 2.5}})));
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt",
                                SetupText({" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "101", "Creek", 2, 0),
                                           Graph(2, "101", "Creek {\"again\": [1]}", 0, 0),
                                           Graph(3, "101", "Third", 0, 0), " 2 ;More; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
                                           Graph(1, "101", "Again", 0, 0), " 3 ;Empty; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON"})));
    auto run = [&](const std::string& out, bool pretty) {
        std::vector<std::string> args{TIDEMARK_EXE, "--folder", db_.Folder(), "--export-json", out};
        if (pretty) args.push_back("--pretty");
        args.insert(args.end(), {"--now", "2026-03-10 14:00"});
        return testsupport::RunProgram(args, db_.Folder() + "run.log");
    };
    ASSERT_EQ(run(db_.Folder() + "compact.json", false).exitCode, 0);
    ASSERT_EQ(run(db_.Folder() + "pretty.json", true).exitCode, 0);
    auto compact = ReadFileBytes(db_.Folder() + "compact.json");
    auto pretty = ReadFileBytes(db_.Folder() + "pretty.json");
    ASSERT_TRUE(compact && pretty);
    QJsonParseError compactError{}, prettyError{};
    QJsonDocument a = QJsonDocument::fromJson(QByteArray::fromStdString(*compact), &compactError);
    QJsonDocument b = QJsonDocument::fromJson(QByteArray::fromStdString(*pretty), &prettyError);
    ASSERT_EQ(compactError.error, QJsonParseError::NoError) << compactError.errorString().toStdString();
    ASSERT_EQ(prettyError.error, QJsonParseError::NoError) << prettyError.errorString().toStdString();
    EXPECT_EQ(a, b);
    const QJsonArray pages = a.object()["pages"].toArray();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[0].toObject()["graphs"].toArray().size(), 3);
    EXPECT_EQ(pages[1].toObject()["graphs"].toArray().size(), 1);
    EXPECT_EQ(pages[2].toObject()["graphs"].toArray().size(), 0);
    EXPECT_EQ(a.toJson(QJsonDocument::Compact).toStdString(), *compact);
    EXPECT_EQ(b.toJson(QJsonDocument::Indented).toStdString(), *pretty);

    // A folder that is not there: exit 1 and no file, not even a temporary one.
    auto failed = run(db_.Folder() + "missing/pages.json", false);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.output.find("Cannot write the JSON export"), std::string::npos) << failed.output;
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

// Header of the one-year interval, then durations of 5, 15 and 60 minutes.
const char kFrequencyTable[] =
    "Duration\t1\t2\t5\t10\t25\t50\t100\t200\t500\t1000\r\n"
    "5min\t0.2\t0.3\t0.4\t0.5\t0.6\t0.7\t0.8\t0.9\t1\t1.1\r\n"
    "15min\t0.4\t0.6\t0.8\t1\t1.2\t1.4\t1.6\t1.8\t2\t2.2\r\n"
    "1h\t0.6\t0.9\t1.2\t1.5\t1.8\t2.1\t2.4\t2.7\t3\t3.3\r\n";

// 12 significant digits: enough to tell the hours of a day number apart.
std::string NumberText(double v) { return QString::number(v, 'g', 12).toStdString(); }

// A series' cells as text: the number, or "null" where nothing is drawn.
std::vector<std::string> Cells(const QJsonObject& series, const char* axis) {
    std::vector<std::string> cells;
    for (const auto& v : series[axis].toArray()) cells.push_back(v.isNull() ? "null" : NumberText(v.toDouble()));
    return cells;
}

using Texts = std::vector<std::string>;

TEST_F(JsonExportTest, DepthDurationGraphsDrawTheirIntervalsAndTheirRainfallDepths) {
    std::string sql =
        "INSERT INTO rsite VALUES (301, 'Ridge', 10, 'Rain', 'inches', 1);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');" +
        Rows(301, "runit",
             {{"2026-03-10 12:00:00", 0},
              {"2026-03-10 12:05:00", 0.2},
              {"2026-03-10 12:10:00", 0.3},
              {"2026-03-10 12:15:00", 0.1},
              {"2026-03-10 12:20:00", 0}});
    ASSERT_TRUE(db_.Exec(sql));
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_Frequency.txt", kFrequencyTable));
    QJsonObject root =
        Export(SetupText({" 1 ;Rain; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "301", "Ridge Maxima", 0, 0, "; -2 ")}));
    QJsonObject g = GraphAt(root, 1, 0);
    ASSERT_FALSE(g.isEmpty()) << output_;
    EXPECT_EQ(g["rows"].toInt(), 3);

    // Series 1: the recurrence interval of each duration's largest depth.
    QJsonObject intervals = SeriesOf(g, 1);
    EXPECT_EQ(intervals["legend"].toString(), "Frequecy");
    EXPECT_EQ(Cells(intervals, "x"), (Texts{"5", "15", "60"}));
    EXPECT_EQ(Cells(intervals, "y"), (Texts{"2", "2", "1"}));

    // Series 5: the largest depth that fell within each duration, against the same minutes.
    QJsonObject depths = SeriesOf(g, 5);
    EXPECT_EQ(depths["legend"].toString(), "Rainfall");
    EXPECT_TRUE(depths["line"].toBool());
    EXPECT_EQ(Cells(depths, "x"), (Texts{"5", "15", "60"}));
    EXPECT_EQ(Cells(depths, "y"), (Texts{"0.3", "0.6", "0.6"}));
}

TEST_F(JsonExportTest, AMissingValueOfARecurrenceIntervalGraphIsAGapNotZeroYears) {
    std::string sql =
        "INSERT INTO rsite VALUES (302, 'Ridge', 10, 'Rain', 'inches', 1);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');" +
        Rows(302, "rhour",
             {{"2026-03-10 10:00:00", 0.6}, {"2026-03-10 11:00:00", -9999}, {"2026-03-10 12:00:00", 0.9}}) +
        Rows(302, "rday", {{"2026-03-08 00:00:00", -9999}, {"2026-03-09 00:00:00", 1.5}});
    ASSERT_TRUE(db_.Exec(sql));
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_Frequency.txt", kFrequencyTable));
    QJsonObject root =
        Export(SetupText({" 1 ;Rain; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, "302", "Ridge Intervals", 0, 0, "; -1 ")}));
    QJsonObject g = GraphAt(root, 1, 0);
    ASSERT_FALSE(g.isEmpty()) << output_;

    // The hours from 10:00 on: 1 year, a gap, 2 years.
    QJsonObject hourly = SeriesOf(g, 1);
    Texts x = Cells(hourly, "x"), y = Cells(hourly, "y");
    auto at = std::find(x.begin(), x.end(), NumberText(MakeDayNumber(2026, 3, 10, 10, 0, 0)));
    ASSERT_LE(at + 3, x.end()) << "no point at 10:00";
    size_t i = static_cast<size_t>(at - x.begin());
    EXPECT_EQ(Texts(y.begin() + i, y.begin() + i + 3), (Texts{"1", "null", "2"}));
    EXPECT_EQ(g["currentValue"].toDouble(), 2);

    // A missing day stays missing too; the table has no daily row, so a present day is 0.
    Texts days = Cells(SeriesOf(g, 3), "y");
    ASSERT_GE(days.size(), 2u);
    EXPECT_EQ(Texts(days.begin(), days.begin() + 2), (Texts{"null", "0"}));
}
