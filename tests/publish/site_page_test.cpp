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
#include "publish/site_documents.h"
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

// The text between `from` and the next `until` after it; empty when `from` is not there.
std::string Between(const std::string& text, const std::string& from, const std::string& until) {
    size_t at = text.find(from);
    if (at == std::string::npos) return {};
    size_t end = text.find(until, at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(SitePage, EachPageIsASectionWithItsNameItsPictureAndItsValuesAsATable) {
    ZoneScope zone("UTC");
    PublishedPage second = SamplePage();
    PublishedPage fifth;
    fifth.page = 5;
    fifth.name = "Rain";
    fifth.images.push_back({"Tidemark_window5.png", 800, 600, -1});
    Result<std::string> html = SitePageHtml(kTemplate, {second, fifth}, 120);
    ASSERT_TRUE(html) << html.error();
    const std::string& h = *html;
    // No reload of its own: the style and the script close the head (the template's
    // charset stays first), the status line tells the data time and how often it checks.
    EXPECT_EQ(h.find("http-equiv"), std::string::npos);
    EXPECT_EQ(h.find("tidemark:pages"), std::string::npos);
    EXPECT_LT(h.find("<meta charset=\"utf-8\">"), h.find("<style id=\"tidemark-style\">"));
    EXPECT_LT(h.find("<script id=\"tidemark-live\">"), h.find("</head>"));
    EXPECT_NE(h.find("<div id=\"tidemark-status\" data-refresh=\"120\" data-time=\"2026-12-08T14:00:00+00:00\">"),
              std::string::npos)
        << h;
    EXPECT_NE(h.find("Data to <time datetime=\"2026-12-08T14:00:00+00:00\">2026-12-08 14:00</time>"),
              std::string::npos);
    EXPECT_NE(h.find("reload it for newer data"), std::string::npos);
    EXPECT_NE(h.find("id=\"tidemark-pause\" aria-pressed=\"false\" hidden>Pause updates</button>"), std::string::npos);
    // The template has no <main>: the pages get one, after its header.
    EXPECT_EQ(Occurrences(h, "<main>"), 1);
    EXPECT_LT(h.find("<header>"), h.find("<main>"));

    const std::string two = Between(h, "<section class=\"tidemark-page\" id=\"page-2\"", "</section>");
    ASSERT_FALSE(two.empty()) << h;
    EXPECT_NE(two.find("<h2 id=\"page-2-name\" data-tidemark-text=\"name\">Rivers &lt;north&gt; &amp; "
                       "&quot;east&quot;</h2>"),
              std::string::npos)
        << two;
    EXPECT_NE(two.find("<img class=\"tidemark-whole\" src=\"Tidemark_window2.png\" width=\"1920\" height=\"1080\" "
                       "alt=\"Graphs of Rivers &lt;north&gt; &amp; &quot;east&quot;: Alder Creek, Stage; Big River, "
                       "Stage;"),
              std::string::npos)
        << two;
    EXPECT_LT(two.find("<img"), two.find("<details class=\"tidemark-values\">"));
    EXPECT_NE(two.find("<summary><h3 id=\"page-2-values\" data-tidemark-text=\"values-name\">Values of Rivers"),
              std::string::npos);
    EXPECT_NE(two.find("<tr><th scope=\"row\">Alder Creek</th><td>Stage</td><td>12.5 ft</td><td><time "
                       "datetime=\"2026-12-08T14:00:00+00:00\">2026-12-08 14:00</time></td><td>Above the high watch "
                       "level</td><td>None</td></tr>"),
              std::string::npos)
        << two;
    EXPECT_NE(two.find("<td>16.25 ft</td>"), std::string::npos);
    EXPECT_NE(two.find("<td>Moderate</td></tr>"), std::string::npos);
    EXPECT_NE(two.find("<th scope=\"row\">Cedar, Fork</th><td>Stage</td><td>No current value</td><td>None</td>"),
              std::string::npos);
    EXPECT_NE(two.find("<th scope=\"row\">D\xC3\xA9j\xC3\xA0 Lake</th>"), std::string::npos);
    EXPECT_NE(two.find("<td>Below the low watch level</td>"), std::string::npos);
    EXPECT_EQ(Occurrences(two, "<tr>"), 5);  // the header row and one per graph

    // Page 5 comes after page 2, lazily loaded, and without readings has no table.
    const std::string five = Between(h, "id=\"page-5\"", "</section>");
    ASSERT_FALSE(five.empty());
    EXPECT_LT(h.find("id=\"page-2\""), h.find("id=\"page-5\""));
    EXPECT_NE(five.find("alt=\"Graphs of Rain\" loading=\"lazy\">"), std::string::npos) << five;
    EXPECT_EQ(five.find("<details"), std::string::npos);
    EXPECT_NE(five.find("No data time"), std::string::npos);
    EXPECT_EQ(h.find("-9999"), std::string::npos);
}

TEST(SitePage, TheTemplatesOwnMainIsKeptAndOneWithoutMarkerOrHeadIsRefused) {
    const std::string withMain =
        "<!DOCTYPE html><html><head><title>t</title></head><body><MAIN id=m><!-- tidemark:pages --></MAIN></body>"
        "</html>";
    Result<std::string> kept = SitePageHtml(withMain, {SamplePage()}, 60);
    ASSERT_TRUE(kept) << kept.error();
    EXPECT_EQ(kept->find("<main>"), std::string::npos);
    EXPECT_LT(kept->find("<MAIN id=m>"), kept->find("id=\"tidemark-status\""));

    EXPECT_FALSE(SitePageHtml("<!DOCTYPE html><html><head></head><body></body></html>", {SamplePage()}, 60));
    EXPECT_FALSE(SitePageHtml("<!DOCTYPE html><html><body><header></header><!-- tidemark:pages --></body></html>",
                              {SamplePage()}, 60));
    // A head without its end tag gets the style and script just after its start.
    Result<std::string> open = SitePageHtml("<html><head><body><!-- tidemark:pages --></body></html>", {}, 0);
    ASSERT_TRUE(open) << open.error();
    EXPECT_EQ(open->rfind("<html><head><style id=\"tidemark-style\">", 0), 0u);
    EXPECT_NE(open->find("data-refresh=\"1\""), std::string::npos);
}

TEST(SitePage, GraphPicturesGoBesideThePagePictureWhenTheTemplateAsks) {
    EXPECT_TRUE(TemplateAsksForGraphPictures(std::string("<head>") + kSiteGraphPicturesMarker + "</head>"));
    EXPECT_FALSE(TemplateAsksForGraphPictures(kTemplate));

    PublishedPage both = SamplePage();
    both.images.push_back({"Tidemark_window_2_1.png", 640, 350, 0});
    both.images.push_back({"Tidemark_window_2_2.png", 640, 350, 1});
    Result<std::string> html = SitePageHtml(kTemplate, {both}, 60);
    ASSERT_TRUE(html);
    const std::string pictures = Between(*html, "<div class=\"tidemark-pictures tidemark-both\">", "</div>");
    ASSERT_FALSE(pictures.empty()) << *html;
    EXPECT_NE(pictures.find("<ul class=\"tidemark-graphs\">\n<li><img src=\"Tidemark_window_2_1.png\" width=\"640\" "
                            "height=\"350\" alt=\"Rivers &lt;north&gt; &amp; &quot;east&quot;, graph 1: Alder Creek, "
                            "Stage\" loading=\"lazy\"></li>"),
              std::string::npos)
        << pictures;
    EXPECT_EQ(Occurrences(pictures, "<li>"), 2);

    // A round that saves each graph only: the graphs are all there is, on every screen.
    PublishedPage graphsOnly = both;
    graphsOnly.images.erase(graphsOnly.images.begin());
    Result<std::string> only = SitePageHtml(kTemplate, {graphsOnly}, 60);
    ASSERT_TRUE(only);
    EXPECT_NE(only->find("<div class=\"tidemark-pictures tidemark-only-graphs\">"), std::string::npos);
    EXPECT_EQ(only->find("tidemark-whole\" src"), std::string::npos);
}

TEST(SitePage, WebScreensAreToldByTheirTextOrNamedAndLinked) {
    QString text = QString::fromUtf8("Harbor Point gauge   out of service\x07\n\n\n\tSee <b>notes</b>\xC2\x9B here\n") +
                   QString(3000, QChar('x'));
    PublishedDocument notes = DocumentForSite(1, "/home/display/Tidemark/notes.html", " Station\nnotes ", text);
    EXPECT_EQ(notes.kind, DocumentKind::Html);
    EXPECT_EQ(notes.title, "Station notes");
    EXPECT_EQ(notes.text.rfind("Harbor Point gauge out of service\n\nSee <b>notes</b> here\nxxx", 0), 0u) << notes.text;
    EXPECT_TRUE(notes.cut);
    EXPECT_EQ(QString::fromStdString(notes.text).size(), static_cast<qsizetype>(kDocumentTextLimit) + 1);
    EXPECT_TRUE(notes.link.empty());

    PublishedDocument report = DocumentForSite(2, "https://example.org/r.pdf ", "", "");
    EXPECT_EQ(report.kind, DocumentKind::Pdf);
    EXPECT_EQ(report.link, "https://example.org/r.pdf");
    PublishedDocument sheet = DocumentForSite(3, "/srv/data/levels.xlsx", "", "");
    EXPECT_EQ(sheet.kind, DocumentKind::Workbook);
    EXPECT_TRUE(sheet.link.empty());

    PublishedPage page;
    page.page = 9;
    page.name = "Station Notes";
    page.images.push_back({"Tidemark_window9.png", 1920, 1080, -1});
    page.documents = {notes, report, sheet};
    Result<std::string> html = SitePageHtml(kTemplate, {page}, 60);
    ASSERT_TRUE(html);
    const std::string& h = *html;
    EXPECT_NE(h.find("alt=\"Graphs of Station Notes: Web page Station notes; PDF document https://example.org/r.pdf; "
                     "Workbook levels.xlsx\""),
              std::string::npos)
        << h;
    EXPECT_NE(
        h.find("<h3 id=\"page-9-document-2\" data-tidemark-text=\"document-2-name\">Web page: Station notes</h3>"),
        std::string::npos);
    EXPECT_NE(h.find("<p>Harbor Point gauge out of service</p>\n<p>See &lt;b&gt;notes&lt;/b&gt; here</p>"),
              std::string::npos);
    EXPECT_NE(h.find("Cut here: the site tells the first 2000 characters."), std::string::npos);
    EXPECT_NE(h.find("<a href=\"https://example.org/r.pdf\">https://example.org/r.pdf</a>"), std::string::npos);
    EXPECT_NE(h.find("levels.xlsx (shown in the picture; not published as a file)"), std::string::npos);
    // A local path says nothing to a reader and something to an intruder.
    EXPECT_EQ(h.find("/home/display"), std::string::npos);
    EXPECT_EQ(h.find("/srv/data"), std::string::npos);
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

// The text of a web screen goes with its page's picture: when the picture did not arrive,
// the site keeps telling the text of the one it holds, also in the next run.
TEST(SiteFiles, AWebScreensTextStaysWithThePictureTheSiteHolds) {
    TempFolder program, out;
    ASSERT_TRUE(WriteFileAtomic(program.File(kSiteTemplateFileName), kTemplate));
    PublishedPage first = RoundPage(9, 1.0, true);
    first.documents = {DocumentForSite(1, "notes.html", "Notes", "Harbor Point gauge out of service")};
    ASSERT_TRUE(WriteSiteFiles(program.File(""), out.File(""), {first}, 60, 0));
    PublishedPage second = RoundPage(9, 2.0, false);
    second.documents = {DocumentForSite(1, "notes.html", "Notes", "Harbor Point gauge back in service")};
    ASSERT_TRUE(WriteSiteFiles(program.File(""), out.File(""), {second}, 60, 0));
    const std::string html = testsupport::ReadWholeFile(out.File(kSitePageFileName));
    EXPECT_NE(html.find("<p>Harbor Point gauge out of service</p>"), std::string::npos) << html;
    EXPECT_EQ(html.find("back in service"), std::string::npos);
    Result<std::vector<PublishedPage>> record = ReadSiteRecord(out.File(""));
    ASSERT_TRUE(record) << record.error();
    ASSERT_EQ(record->at(0).documents.size(), 1u);
    EXPECT_EQ(record->at(0).documents[0].title, "Notes");
}
