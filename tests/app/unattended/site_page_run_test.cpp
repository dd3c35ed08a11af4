// The web page and data feed of an unattended round of the demo folder (which has the
// page template): published to a local folder and by FTP after the images, parsed as
// HTML5 without one error, naming only images that are there, telling every graph's
// title and current value, with the same values as the JSON export.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "core/html_text.h"
#include "core/textfile.h"
#include "support/loopback.h"
#include "support/reply_dav_server.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "support/webdav_server.h"

using namespace tidemark;
using namespace tidemark::testsupport;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNow = "2024-03-01 07:25";

class SiteDemo {
public:
    SiteDemo() {
        ProgramResult made = RunProgram({TIDEMARK_DEMO_EXE, Program(), "--now", kNow}, root_.File("demo.log"));
        ok_ = made.exitCode == 0;
        error_ = made.output;
        root_.Write("screen.json", R"({"screens":[{"name":"s1","x":0,"y":0,"width":1280,"height":800,)"
                                   R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
        fs::create_directories(Site());
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    std::string Program() const { return root_.File("Tidemark/"); }
    std::string Site() const { return root_.File("site/"); }

    void PublishTo(const std::string& address, const std::string& user = "display") const {
        ASSERT_TRUE(WriteFileAtomic(Program() + "Tidemark_autoweb.txt",
                                    JoinLinesCrLf({address, "", user, " 0  Separately on/off"})));
    }

    // Marks page `page` of the setup FTP_OFF: the round leaves it out.
    void LeaveOut(int page) const {
        std::string setup = ReadWholeFile(Program() + "Tidemark_setup.txt");
        size_t at = 0;
        for (int p = 1; p <= page; ++p) at = setup.find(";FTP_ON;", at + 1);
        ASSERT_NE(at, std::string::npos);
        setup.replace(at, 8, ";FTP_OFF;");
        ASSERT_TRUE(WriteFileAtomic(Program() + "Tidemark_setup.txt", setup));
    }

    // An unattended round publishing with the password from the environment.
    ProgramResult RunPublishing(const std::string& password, const std::string& now = kNow) const {
        ::setenv("TIDEMARK_FTP_PASSWORD", password.c_str(), 1);
        ProgramResult r = Run({TIDEMARK_EXE, "1", "--headless"}, now);
        ::unsetenv("TIDEMARK_FTP_PASSWORD");
        return r;
    }

    ProgramResult Run(std::vector<std::string> argv, const std::string& now = kNow) const {
        argv.insert(argv.end(), {"--folder", Program(), "--now", now});
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + root_.File("screen.json")).c_str(), 1);
        ProgramResult r = RunProgram(argv, root_.File("run.log"));
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return r;
    }

    // The JSON export's current values: (page, slot 1-12) -> value, and the titles.
    void ExportCurrentValues(std::map<std::pair<int, int>, QJsonValue>& values,
                             std::map<std::pair<int, int>, std::string>& titles) const {
        ProgramResult r = Run({TIDEMARK_EXE, "--export-json", root_.File("export.json")});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        QJsonObject root =
            QJsonDocument::fromJson(QByteArray::fromStdString(ReadWholeFile(root_.File("export.json")))).object();
        for (const auto& p : root["pages"].toArray())
            for (const auto& g : p.toObject()["graphs"].toArray()) {
                QJsonObject graph = g.toObject();
                if (graph["web"].toBool()) continue;
                std::pair<int, int> key{p.toObject()["page"].toInt(), graph["slot"].toInt() + 1};
                values[key] = graph["currentValue"];
                titles[key] = graph["title"].toString().toStdString();
            }
    }

private:
    TempFolder root_{"tidemark-site"};
    bool ok_ = false;
    std::string error_;
};

// Empty when the file parses as HTML5 without a single parse error, else what the
// parser said.
std::string Html5Errors(const std::string& path) {
    TempFolder scratch;
    ProgramResult r = RunProgram({"/usr/bin/python3", "-c",
                                  "import sys, html5lib\n"
                                  "html5lib.HTMLParser(strict=True).parse(open(sys.argv[1], 'rb'))\n",
                                  path},
                                 scratch.File("html5.log"), 60);
    return r.exitCode == 0 ? std::string() : "exit " + std::to_string(r.exitCode) + ": " + r.output;
}

std::vector<std::string> ImageSources(const std::string& html) {
    std::vector<std::string> sources;
    std::regex img("<img [^>]*src=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), img); it != std::sregex_iterator(); ++it)
        sources.push_back((*it)[1].str());
    return sources;
}

// The rows of the values table of `page`, one per graph in slot order, from the station on.
std::vector<std::string> ItemsOf(const std::string& html, int page) {
    std::vector<std::string> items;
    size_t section = html.find("id=\"page-" + std::to_string(page) + "\"");
    if (section == std::string::npos) return items;
    const std::string row = "<tr><th scope=\"row\">";
    size_t end = html.find("</section>", section);
    for (size_t at = html.find(row, section); at < end; at = html.find(row, at + 1))
        items.push_back(html.substr(at + row.size(), html.find("</tr>", at) - at - row.size()));
    return items;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Temporary files as a killed round leaves them, an hour old.
void PlaceStale(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        ASSERT_TRUE(WriteFileAtomic(folder + name, "half"));
        fs::last_write_time(folder + name, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
}

QJsonArray FeedValues(const std::string& path) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadWholeFile(path))).object()["values"].toArray();
}

}  // namespace

TEST(SitePageRun, ALocalRoundWritesAValidPageAndAFeedThatMatchTheExport) {
    SiteDemo demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    demo.PublishTo(demo.Site());
    demo.LeaveOut(2);
    // What a killed round left in the public folder goes; what is not the program's stays.
    PlaceStale(demo.Site(), {"Tidemark_window2.png.tmp-a1B2c3", "index.html.tmp-Zz9Zz9", "notes.txt.tmp-a1B2c3"});
    ProgramResult run = demo.Run({TIDEMARK_EXE, "1", "--headless"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(fs::exists(demo.Site() + "Tidemark_window2.png.tmp-a1B2c3"));
    EXPECT_FALSE(fs::exists(demo.Site() + "index.html.tmp-Zz9Zz9"));
    EXPECT_TRUE(fs::exists(demo.Site() + "notes.txt.tmp-a1B2c3"));

    const std::string index = demo.Site() + "index.html";
    ASSERT_TRUE(FileExists(index)) << run.output;
    EXPECT_EQ(Html5Errors(index), "");
    const std::string html = ReadWholeFile(index);
    // Live by its own script, never by reloading itself.
    EXPECT_EQ(html.find("http-equiv"), std::string::npos);
    EXPECT_EQ(Count(html, "<script"), 1);

    // Every image named is there; the page left out is named nowhere.
    std::vector<std::string> sources = ImageSources(html);
    ASSERT_GE(sources.size(), 4u) << html;
    for (const std::string& src : sources) EXPECT_TRUE(FileExists(demo.Site() + src)) << src;
    EXPECT_EQ(std::count(sources.begin(), sources.end(), "Tidemark_window2.png"), 0);
    EXPECT_EQ(html.find("id=\"page-2\""), std::string::npos);

    std::map<std::pair<int, int>, QJsonValue> exported;
    std::map<std::pair<int, int>, std::string> titles;
    demo.ExportCurrentValues(exported, titles);
    ASSERT_FALSE(exported.empty());

    // Each graph of a published page: its station in the text with the value its title
    // shows; the feed has its value, null where the title says "Missing".
    QJsonArray feed = FeedValues(demo.Site() + "Tidemark_values.json");
    std::map<std::pair<int, int>, QJsonObject> rows;
    for (const auto& v : feed) rows[{v.toObject()["page"].toInt(), v.toObject()["slot"].toInt()}] = v.toObject();
    int checked = 0, switchedOff = 0;
    std::map<int, size_t> ordinal;  // graphs of each page seen so far
    for (const auto& [key, value] : exported) {
        SCOPED_TRACE("page " + std::to_string(key.first) + " graph " + std::to_string(key.second));
        if (key.first == 2) {
            EXPECT_EQ(rows.count(key), 0u);
            continue;
        }
        if (!FileExists(demo.Site() + "Tidemark_window" + std::to_string(key.first) + ".png")) continue;
        ASSERT_EQ(rows.count(key), 1u);
        const std::string& title = titles[key];
        // A switched-off gauge's title carries the program's mark; the site names the station.
        std::string station = title.substr(0, title.find('\r'));
        if (station.rfind("OFF ", 0) == 0) {
            station.erase(0, 4);
            ++switchedOff;
        }
        const std::vector<std::string> items = ItemsOf(html, key.first);
        const size_t index = ordinal[key.first]++;
        ASSERT_LT(index, items.size()) << station;
        const std::string& item = items[index];
        EXPECT_EQ(item.rfind(HtmlEscaped(station) + "</th>", 0), 0u) << item;
        // The export keeps the program's -9999 for a missing value; the feed says null.
        if (value.isNull() || value.toDouble() == -9999) {
            EXPECT_TRUE(rows[key]["value"].isNull());
            EXPECT_NE(item.find("<td>No current value</td>"), std::string::npos) << item;
        } else {
            EXPECT_EQ(rows[key]["value"].toDouble(), value.toDouble());
            std::string valueText = title.substr(title.find('\n') + 1);
            valueText = valueText.substr(0, valueText.find(' '));
            EXPECT_NE(item.find("<td>" + HtmlEscaped(valueText)), std::string::npos) << item << " / " << title;
        }
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(feed.size()));
    EXPECT_GE(switchedOff, 1);
    EXPECT_EQ(ReadWholeFile(demo.Site() + "Tidemark_values.json").find("\"OFF "), std::string::npos);
    EXPECT_GE(checked, 10);

    // The CSV has the same rows, and never the missing number.
    const std::string csv = ReadWholeFile(demo.Site() + "Tidemark_values.csv");
    EXPECT_EQ(SplitLines(csv).size(), static_cast<size_t>(feed.size()) + 1);
    EXPECT_EQ(csv.find("-9999"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(demo.Site() + "Tidemark_values.json").find("-9999"), std::string::npos);
}

TEST(SitePageRun, RenderPagesWritesThePageBesideItsImages) {
    SiteDemo demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    const std::string out = demo.Site() + "render/";
    fs::create_directories(out);
    PlaceStale(out, {"Tidemark_window3.png.tmp-a1B2c3"});
    ProgramResult run = demo.Run({TIDEMARK_EXE, "--render-pages", out});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(fs::exists(out + "Tidemark_window3.png.tmp-a1B2c3"));
    ASSERT_TRUE(FileExists(out + "index.html")) << run.output;
    EXPECT_EQ(Html5Errors(out + "index.html"), "");
    std::vector<std::string> sources = ImageSources(ReadWholeFile(out + "index.html"));
    EXPECT_GE(sources.size(), 4u);
    for (const std::string& src : sources) EXPECT_TRUE(FileExists(out + src)) << src;
    EXPECT_GE(FeedValues(out + "Tidemark_values.json").size(), 10);
    // The demo's template asks for the graphs one by one beside each page, for phones.
    const std::string html = ReadWholeFile(out + "index.html");
    EXPECT_TRUE(FileExists(out + "Tidemark_window3.png"));
    EXPECT_TRUE(FileExists(out + "Tidemark_window_3_1.png"));
    EXPECT_NE(html.find("<li><img src=\"Tidemark_window_3_1.png\""), std::string::npos);
    // The station notes reach the page as text, as the engine rendered them; the PDF and
    // the workbook are named by their file names.
    EXPECT_NE(html.find(">Web page: Willow River Basin - Station Notes</h3>"), std::string::npos) << html;
    EXPECT_NE(html.find("<p>Harbor Point rain gauge out of service since "), std::string::npos);
    EXPECT_NE(html.find(">PDF document: river_report.pdf</h3>"), std::string::npos);
    EXPECT_EQ(html.find(demo.Program()), std::string::npos);
    // The page's files are told after the images, the page itself last.
    size_t lastImage = run.output.rfind(".png");
    EXPECT_LT(lastImage, run.output.find("Saved... " + out + "Tidemark_values.json")) << run.output;
    EXPECT_LT(run.output.find("Saved... " + out + "Tidemark_values.csv"),
              run.output.find("Saved... " + out + "index.html"));
}

// Without the template a round publishes its images only.
TEST(SitePageRun, WithoutTheTemplateNoPageIsWritten) {
    SiteDemo demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    ASSERT_TRUE(RemoveFile(demo.Program() + "Tidemark_site.html"));
    const std::string out = demo.Site() + "render/";
    ProgramResult run = demo.Run({TIDEMARK_EXE, "--render-pages", out});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(FileExists(out + "Tidemark_window1.png"));
    EXPECT_FALSE(FileExists(out + "index.html"));
    EXPECT_FALSE(FileExists(out + "Tidemark_values.csv"));
}

// Publishing by HTTPS to a WebDAV site that the certificate's own authority vouches for:
// every file arrives byte for byte, each moved onto its name, the page after all else.
TEST(SitePageRun, AnHttpsRoundPutsTheImagesThenTheFeedThenThePage) {
    SiteDemo demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    testsupport::WebDavServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    demo.PublishTo(server.Address(), server.User());
    ::setenv("TIDEMARK_FTPS_CA_FILE", server.CaFile().c_str(), 1);
    ProgramResult run = demo.RunPublishing(server.Password());
    ASSERT_EQ(run.exitCode, 0) << run.output;

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(demo.Program()))
        if (e.path().filename().string().rfind("Tidemark_window", 0) == 0 || e.path().filename() == "index.html" ||
            e.path().filename().string().rfind("Tidemark_values.", 0) == 0)
            names.push_back(e.path().filename().string());
    ASSERT_GE(names.size(), 7u) << run.output;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(server.Exists(name));
        EXPECT_EQ(server.Read(name), ReadWholeFile(demo.Program() + name));
    }
    EXPECT_EQ(Count(run.output, " ...done"), static_cast<int>(names.size())) << run.output;
    EXPECT_EQ(run.output.find(server.Password()), std::string::npos);

    // The last MOVE put the page in place; every image was moved before the feed.
    std::vector<std::string> moves;
    for (const std::string& request : server.Requests())
        if (request.rfind("MOVE ", 0) == 0) moves.push_back(request);
    ASSERT_EQ(moves.size(), names.size());
    EXPECT_EQ(moves.back().rfind("MOVE /.index.html.part-", 0), 0u) << moves.back();
    for (size_t i = 0; i + 3 < moves.size(); ++i)
        EXPECT_EQ(moves[i].rfind("MOVE /.Tidemark_window", 0), 0u) << moves[i];

    // A wrong password and a stopped server: every image fails in bounded time, the round
    // ends and says so, and the site keeps the page of the good round.
    const std::string page = server.Read("index.html");
    ::setenv("TIDEMARK_FTP_TIMEOUT", "2", 1);
    for (bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped server" : "wrong password");
        if (stopped) server.Stop();
        auto start = std::chrono::steady_clock::now();
        ProgramResult failed = demo.RunPublishing(stopped ? server.Password() : "not the password");
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(failed.exitCode, 3) << failed.output;
        EXPECT_GE(Count(failed.output, " ...failed"), 4) << failed.output;
        EXPECT_EQ(Count(failed.output, " ...done"), 0);
        EXPECT_LT(seconds, 120);
        EXPECT_EQ(server.Read("index.html"), page);
    }
    ::unsetenv("TIDEMARK_FTP_TIMEOUT");
    ::unsetenv("TIDEMARK_FTPS_CA_FILE");
}

namespace {

// The page numbers of the figures of a web page, in the order it shows them.
std::vector<int> FigurePages(const std::string& html) {
    std::vector<int> pages;
    std::regex figure("<section class=\"tidemark-page\" id=\"page-([0-9]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), figure); it != std::sregex_iterator(); ++it)
        pages.push_back(std::stoi((*it)[1].str()));
    return pages;
}

std::vector<int> FeedPages(const std::string& json) {
    std::vector<int> pages;
    for (const auto& v : QJsonDocument::fromJson(QByteArray::fromStdString(json)).object()["values"].toArray())
        pages.push_back(v.toObject()["page"].toInt());
    return pages;
}

}  // namespace

// A WebDAV server that answers with HTML pages (as Apache does) and then refuses the
// image of page 3: nothing of its pages reaches standard output; the site lists its pages
// in page order; after the refusal its text tells, for page 3, the values of the page-3
// image it still holds and, for the others, the new ones; the round ends with status 3.
TEST(SitePageRun, ARefusedImageLeavesTheSiteTellingWhatItsImagesShow) {
    SiteDemo demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    testsupport::ReplyingDavServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    demo.PublishTo(server.Address(), server.User());
    ProgramResult first = demo.RunPublishing(server.Password());
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(first.output.find("has been created"), std::string::npos) << first.output;
    EXPECT_EQ(first.output.find("<title>"), std::string::npos);

    const std::string page = server.Read("index.html");
    std::vector<int> order = FigurePages(page);
    ASSERT_GE(order.size(), 4u) << page;
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << page;
    std::vector<int> feed = FeedPages(server.Read("Tidemark_values.json"));
    ASSERT_FALSE(feed.empty());
    EXPECT_TRUE(std::is_sorted(feed.begin(), feed.end()));
    EXPECT_EQ(feed.front(), 1);

    // A day earlier the gauges read otherwise; the image of page 3 is refused.
    const std::string image3 = server.Read("Tidemark_window3.png");
    ASSERT_FALSE(image3.empty());
    server.Refuse({"Tidemark_window3.png"});
    ProgramResult second = demo.RunPublishing(server.Password(), "2024-02-28 19:25");
    EXPECT_EQ(second.exitCode, 3) << second.output;
    EXPECT_NE(second.output.find("1 of "), std::string::npos) << second.output;
    EXPECT_NE(second.output.find("403 Forbidden"), std::string::npos) << second.output;
    EXPECT_EQ(second.output.find("has been created"), std::string::npos);

    const std::string after = server.Read("index.html");
    EXPECT_EQ(server.Read("Tidemark_window3.png"), image3);
    EXPECT_EQ(FigurePages(after), order);
    EXPECT_EQ(ItemsOf(after, 3), ItemsOf(page, 3));
    ASSERT_FALSE(ItemsOf(after, 3).empty());
    bool othersMoved = false;
    for (int p : order)
        if (p != 3 && ItemsOf(after, p) != ItemsOf(page, p)) othersMoved = true;
    EXPECT_TRUE(othersMoved) << "the second round must tell other values for the test to mean anything";
}

// The graph's title rounds its current value to two places; the feed tells it as the
// database holds it.
TEST(SitePageRun, TheFeedTellsValuesAtTheirStoredPrecision) {
    SiteDemo demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    demo.PublishTo(demo.Site());
    // Cedar Creek (page 1, graph 3) stood at 0.0036 ft all along.
    for (const char* table : {"runit", "rhour"}) {
        ProgramResult set =
            RunProgram({"sqlite3", demo.Program() + "tidemark_demo.sqlite",
                        std::string("UPDATE ") + table + " SET value = 0.0036 WHERE datatype_site_id = 2102"},
                       demo.Program() + "sqlite.log");
        ASSERT_EQ(set.exitCode, 0) << set.output;
    }
    ProgramResult run = demo.Run({TIDEMARK_EXE, "1", "--headless"});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    std::map<std::pair<int, int>, QJsonValue> exported;
    std::map<std::pair<int, int>, std::string> titles;
    demo.ExportCurrentValues(exported, titles);
    const std::string title = titles[std::make_pair(1, 3)];
    EXPECT_NE(title.find("\n0 ft"), std::string::npos) << title;
    const std::string csv = ReadWholeFile(demo.Site() + "Tidemark_values.csv");
    EXPECT_NE(csv.find("\r\n1,3,2102,Cedar Creek near Hollow Pine,Gage Height,0.0036,"), std::string::npos) << csv;
    int found = 0;
    for (const auto& v : FeedValues(demo.Site() + "Tidemark_values.json")) {
        const QJsonObject row = v.toObject();
        if (row["page"].toInt() != 1 || row["slot"].toInt() != 3) continue;
        EXPECT_EQ(row["value"].toDouble(), 0.0036);
        ++found;
    }
    EXPECT_EQ(found, 1);
}
