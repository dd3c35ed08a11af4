// The web page and the data feed written from a round's readings: what the text says of
// each graph, escaping, the template's marker and head, and the feed's empty values.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <ctime>

#include "core/daynum.h"
#include "core/textfile.h"
#include "publish/site_files.h"
#include "publish/site_page.h"
#include "publish/site_record.h"
#include "publish/values_feed.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

using namespace tidemark;
using testsupport::TempFolder;

namespace {

GraphReading Reading(int slot, const std::string& station, double value, double time) {
    GraphReading r;
    r.page = 2;
    r.slot = slot;
    r.dsid = 1200 + slot;
    r.station = station;
    r.parameter = "Stage";
    r.unit = "ft";
    r.value = value;
    r.time = time;
    return r;
}

// Page 2 with a warning graph, a flood graph, a missing value and text that needs escaping.
PublishedPage SamplePage() {
    PublishedPage p;
    p.page = 2;
    p.name = "Rivers <north> & \"east\"";
    double at = MakeDayNumber(2026, 12, 8, 14, 0);
    p.dataTime = at;
    p.images.push_back({"Tidemark_window2.png", 1920, 1080, -1});
    GraphReading high = Reading(0, "Alder Creek", 12.5, at);
    high.watch = WatchCrossing::AboveHigh;
    GraphReading flood = Reading(1, "Big River", 16.25, at);
    flood.flood = FloodCategory::Moderate;
    GraphReading missing = Reading(2, "Cedar, Fork", kMissing, 0);
    GraphReading low = Reading(3, "D\xE9j\xE0 Lake", 0.5, at);  // Windows-1252 program text
    low.watch = WatchCrossing::BelowLow;
    p.graphs = {high, flood, missing, low};
    return p;
}

const char* kTemplate =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>t</title>\n</head>\n"
    "<body>\n<header>h</header>\n<!-- tidemark:pages -->\n</body>\n</html>\n";

class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old, hadOld_ = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (hadOld_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace

TEST(SitePage, GraphSentencesSayValueUnitTimeWarningAndFloodCategory) {
    PublishedPage p = SamplePage();
    EXPECT_EQ(GraphSentence(p.graphs[0]),
              "Alder Creek, Stage: 12.5 ft at 2026-12-08 14:00, above the high watch level.");
    EXPECT_EQ(GraphSentence(p.graphs[1]), "Big River, Stage: 16.25 ft at 2026-12-08 14:00, flood category Moderate.");
    EXPECT_EQ(GraphSentence(p.graphs[2]), "Cedar, Fork, Stage: no current value.");
    EXPECT_NE(GraphSentence(p.graphs[3]).find("below the low watch level"), std::string::npos);
    GraphReading both = p.graphs[0];
    both.watch = WatchCrossing::Both;
    EXPECT_NE(GraphSentence(both).find("above the high watch level and below the low watch level"), std::string::npos);
}

TEST(SitePage, TheTemplateGetsOneEscapedFigurePerPageAndARefresh) {
    PublishedPage second = SamplePage();
    PublishedPage fifth;
    fifth.page = 5;
    fifth.name = "Rain";
    fifth.images.push_back({"Tidemark_window5.png", 800, 600, -1});
    Result<std::string> html = SitePageHtml(kTemplate, {second, fifth}, 120);
    ASSERT_TRUE(html) << html.error();
    const std::string& h = *html;
    // The refresh opens the head (not the <header> of the body) and the marker is gone.
    EXPECT_NE(h.find("<head>\n<meta http-equiv=\"refresh\" content=\"120\">"), std::string::npos) << h;
    EXPECT_EQ(h.find("tidemark:pages"), std::string::npos);
    EXPECT_NE(h.find("<img src=\"Tidemark_window2.png\" width=\"1920\" height=\"1080\" alt=\"Graphs of Rivers "
                     "&lt;north&gt; &amp; &quot;east&quot;: Alder Creek, Stage; Big River, Stage;"),
              std::string::npos)
        << h;
    EXPECT_NE(h.find("<img src=\"Tidemark_window5.png\" width=\"800\" height=\"600\" alt=\"Graphs of Rain\">"),
              std::string::npos);
    // Page 2 comes before page 5, each with its caption last in its figure.
    size_t two = h.find("id=\"page-2\""), five = h.find("id=\"page-5\"");
    ASSERT_NE(two, std::string::npos);
    ASSERT_NE(five, std::string::npos);
    EXPECT_LT(two, five);
    EXPECT_NE(h.find("<figcaption>Rivers &lt;north&gt; &amp; &quot;east&quot;, data to 2026-12-08 14:00</figcaption>\n"
                     "</figure>"),
              std::string::npos);
    // A page without readings has no details; program text arrives as UTF-8.
    EXPECT_EQ(h.find("<details>", five), std::string::npos);
    EXPECT_NE(h.find("<li>D\xC3\xA9j\xC3\xA0 Lake, Stage: 0.5 ft"), std::string::npos);
    EXPECT_EQ(h.find("-9999"), std::string::npos);
}

TEST(SitePage, ATemplateWithoutMarkerOrHeadIsRefused) {
    EXPECT_FALSE(SitePageHtml("<!DOCTYPE html><html><head></head><body></body></html>", {SamplePage()}, 60));
    EXPECT_FALSE(SitePageHtml("<!DOCTYPE html><html><body><header></header><!-- tidemark:pages --></body></html>",
                              {SamplePage()}, 60));
    Result<std::string> upper =
        SitePageHtml("<HTML><HEAD lang=en></HEAD><BODY><!-- tidemark:pages --></BODY></HTML>", {}, 0);
    ASSERT_TRUE(upper) << upper.error();
    EXPECT_EQ(*upper, "<HTML><HEAD lang=en>\n<meta http-equiv=\"refresh\" content=\"1\"></HEAD><BODY></BODY></HTML>");
}

TEST(ValuesFeed, TimesCarryTheZoneOffsetOfTheirDate) {
    ZoneScope zone("America/New_York");
    EXPECT_EQ(IsoLocalTime(MakeDayNumber(2026, 12, 8, 14, 0)), "2026-12-08T14:00:00-05:00");
    EXPECT_EQ(IsoLocalTime(MakeDayNumber(2026, 7, 1, 9, 30)), "2026-07-01T09:30:00-04:00");
    EXPECT_EQ(IsoLocalTime(0), "");
    ZoneScope india("Asia/Kolkata");
    EXPECT_EQ(IsoLocalTime(MakeDayNumber(2026, 1, 2, 3, 4, 5)), "2026-01-02T03:04:05+05:30");
}

TEST(ValuesFeed, CsvAndJsonHaveOneRowPerGraphAndNoMissingNumber) {
    ZoneScope zone("UTC");
    std::vector<PublishedPage> pages{SamplePage()};
    std::string csv = ValuesCsv(pages);
    std::vector<std::string> lines = SplitLines(csv);
    ASSERT_EQ(lines.size(), 5u) << csv;
    EXPECT_EQ(lines[0], kValuesCsvHeader);
    EXPECT_EQ(lines[1], "2,1,1200,Alder Creek,Stage,12.5,ft,2026-12-08T14:00:00+00:00,high,");
    EXPECT_EQ(lines[2], "2,2,1201,Big River,Stage,16.25,ft,2026-12-08T14:00:00+00:00,none,Moderate");
    EXPECT_EQ(lines[3], "2,3,1202,\"Cedar, Fork\",Stage,,ft,,none,");
    EXPECT_EQ(lines[4], "2,4,1203,D\xC3\xA9j\xC3\xA0 Lake,Stage,0.5,ft,2026-12-08T14:00:00+00:00,low,");
    EXPECT_NE(csv.find("\r\n"), std::string::npos);

    // Text cells that a spreadsheet would run as formulas are written as text.
    PublishedPage risky = SamplePage();
    risky.graphs[0].station = "=HYPERLINK(\"http://x\",\"y\")";
    risky.graphs[1].station = "+1";
    risky.graphs[2].station = "-2";
    risky.graphs[3].station = "@SUM(A1)";
    risky.graphs[3].parameter = "Stage-";
    std::vector<std::string> safe = SplitLines(ValuesCsv({risky}));
    EXPECT_EQ(safe[1].rfind("2,1,1200,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",", 0), 0u) << safe[1];
    EXPECT_EQ(safe[2].rfind("2,2,1201,'+1,Stage", 0), 0u) << safe[2];
    EXPECT_EQ(safe[3].rfind("2,3,1202,'-2,Stage", 0), 0u) << safe[3];
    EXPECT_EQ(safe[4].rfind("2,4,1203,'@SUM(A1),Stage-", 0), 0u) << safe[4];

    QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(ValuesJson(pages, 0))).object();
    QJsonArray values = root["values"].toArray();
    ASSERT_EQ(values.size(), 4);
    EXPECT_TRUE(root["generated"].isNull());
    QJsonObject first = values[0].toObject();
    EXPECT_EQ(first["slot"].toInt(), 1);
    EXPECT_EQ(first["value"].toDouble(), 12.5);
    EXPECT_EQ(first["warning"].toString(), "high");
    EXPECT_TRUE(first["flood"].isNull());
    QJsonObject missing = values[2].toObject();
    EXPECT_TRUE(missing["value"].isNull());
    EXPECT_TRUE(missing["time"].isNull());
    EXPECT_EQ(missing["station"].toString(), "Cedar, Fork");
    EXPECT_EQ(values[3].toObject()["station"].toString(), QString::fromUtf8("D\xC3\xA9j\xC3\xA0 Lake"));
    EXPECT_EQ(values[1].toObject()["flood"].toString(), "Moderate");
}

TEST(SiteFiles, AreWrittenOnlyWithATemplateAndComeOutFeedFirstPageLast) {
    TempFolder program, out;
    EXPECT_FALSE(SiteTemplateExists(program.File("")));
    EXPECT_FALSE(WriteSiteFiles(program.File(""), out.File(""), {SamplePage()}, 60, 0));
    ASSERT_TRUE(WriteFileAtomic(program.File(kSiteTemplateFileName), kTemplate));
    EXPECT_TRUE(SiteTemplateExists(program.File("")));
    Result<SiteFilesWritten> files = WriteSiteFiles(program.File(""), out.File(""), {SamplePage()}, 60, 0);
    ASSERT_TRUE(files) << files.error();
    ASSERT_EQ(files->paths.size(), 3u);
    EXPECT_EQ(files->paths.back(), out.File(kSitePageFileName));
    for (const std::string& f : files->paths) EXPECT_TRUE(FileExists(f)) << f;
    EXPECT_EQ(RoundSeconds(20, 4), 80);
    EXPECT_EQ(RoundSeconds(0, 0), 1);
}

namespace {

PublishedPage RoundPage(int page, double value, bool arrived) {
    PublishedPage p;
    p.page = page;
    p.name = "Page " + std::to_string(page);
    p.images.push_back({"Tidemark_window" + std::to_string(page) + ".png", 640, 480, -1, arrived});
    GraphReading r = Reading(0, "Harbor Point", value, MakeDayNumber(2026, 12, 8, 14, 0));
    r.page = page;
    p.graphs = {r};
    return p;
}

}  // namespace

// A round whose image of page 3 did not arrive: the text of page 3 keeps the values of
// the image the site still holds, pages come in page order whatever order the round
// wrote them in, and the record carries this over to the next run (also across a page
// the next round leaves out).
TEST(SiteFiles, TellWhatTheSiteHoldsWhenAnImageDidNotArrive) {
    TempFolder program, out;
    ASSERT_TRUE(WriteFileAtomic(program.File(kSiteTemplateFileName), kTemplate));
    ASSERT_TRUE(WriteSiteFiles(program.File(""), out.File(""),
                               {RoundPage(2, 6.54, true), RoundPage(3, 7.5, true), RoundPage(1, 1.25, true)}, 60, 0));

    Result<SiteFilesWritten> second =
        WriteSiteFiles(program.File(""), out.File(""),
                       {RoundPage(2, 9.68, true), RoundPage(3, 8.75, false), RoundPage(1, 2.5, true)}, 60, 0);
    ASSERT_TRUE(second) << second.error();
    const std::string csv = testsupport::ReadWholeFile(out.File(kValuesCsvFileName));
    std::vector<std::string> rows = SplitLines(csv);
    ASSERT_EQ(rows.size(), 4u) << csv;
    EXPECT_EQ(rows[1].substr(0, 2), "1,");
    EXPECT_NE(rows[1].find(",2.5,"), std::string::npos) << rows[1];
    EXPECT_NE(rows[2].find(",9.68,"), std::string::npos) << rows[2];
    EXPECT_NE(rows[3].find(",7.5,"), std::string::npos) << rows[3];  // the image the site kept
    const std::string html = testsupport::ReadWholeFile(out.File(kSitePageFileName));
    EXPECT_LT(html.find("id=\"page-1\""), html.find("id=\"page-2\""));
    EXPECT_LT(html.find("id=\"page-2\""), html.find("id=\"page-3\""));
    EXPECT_EQ(html.find("8.75"), std::string::npos);

    // A page that has never arrived is not told at all; the record keeps page 3 when a
    // round leaves it out.
    Result<SiteFilesWritten> third =
        WriteSiteFiles(program.File(""), out.File(""), {RoundPage(4, 3.0, false), RoundPage(1, 2.5, true)}, 60, 0);
    ASSERT_TRUE(third) << third.error();
    EXPECT_EQ(SplitLines(testsupport::ReadWholeFile(out.File(kValuesCsvFileName))).size(), 2u);
    Result<std::vector<PublishedPage>> record = ReadSiteRecord(out.File(""));
    ASSERT_TRUE(record) << record.error();
    ASSERT_EQ(record->size(), 3u);
    EXPECT_EQ((*record)[2].page, 3);
    EXPECT_EQ((*record)[2].graphs.at(0).value, 7.5);
    EXPECT_EQ((*record)[2].graphs.at(0).station, "Harbor Point");

    // Nothing of the round arrived and nothing is held: no files at all.
    TempFolder empty;
    Result<SiteFilesWritten> none = WriteSiteFiles(program.File(""), empty.File(""), {RoundPage(5, 1, false)}, 60, 0);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->paths.empty());

    // A damaged record is told, and the round's own values are written.
    ASSERT_TRUE(WriteFileAtomic(out.File(kSiteRecordFileName), "{not json"));
    Result<SiteFilesWritten> damaged = WriteSiteFiles(program.File(""), out.File(""), {RoundPage(1, 4.0, true)}, 60, 0);
    ASSERT_TRUE(damaged);
    EXPECT_NE(damaged->warning.find("damaged"), std::string::npos);
    EXPECT_EQ(damaged->paths.size(), 3u);
}
