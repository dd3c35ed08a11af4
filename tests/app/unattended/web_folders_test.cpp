// `tidemark --render-pages` on web screens that name local files: a file outside the
// program folder, its companions and the TIDEMARK_WEB_FOLDERS folders never reaches the
// page images, whichever way it is named or a document inside leads to it; such a web
// screen shows a notice that names it, the page is still written, and the refusal is told
// on standard error once per address.
#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/textfile.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

using namespace tidemark;
using namespace tidemark::testsupport;
namespace fs = std::filesystem;

namespace {

const QRgb kSecret = qRgb(0xc0, 0x10, 0x80);  // the secret page's backdrop
const QRgb kInside = qRgb(0xe0, 0xa0, 0x00);  // the pages in the program folder
const QRgb kExtra = qRgb(0x20, 0xb0, 0xb0);   // the page in a TIDEMARK_WEB_FOLDERS folder
const QRgb kNotice = qRgb(0xf0, 0xf0, 0xf0);  // a refused web screen's notice

std::string Html(QRgb backdrop, const std::string& body, const std::string& head = "") {
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", backdrop & 0xffffff);
    return "<!DOCTYPE html><html><head>" + head + "</head><body style=\"margin:0;background:" + colour + "\">" + body +
           "</body></html>";
}

std::string WebLine(int graph, const std::string& address) {
    return " " + std::to_string(graph) + " ;-1 ;Web Screen;" + address + "; 1 ; 0 ; 0 ; 0 ; 0";
}

std::string PageLine(int page, const std::string& title) {
    return " " + std::to_string(page) + " ;" + title + "; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON";
}

int Count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
    return n;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class WebFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.ok()) << db_.error();
        ASSERT_TRUE(secret_.Write("secret.html", Html(kSecret, "<h1 style=\"font-size:160px\">SECRET 7Q</h1>")));
        ASSERT_TRUE(extra_.Write("extra.html", Html(kExtra, "<p>extra</p>")));
        ASSERT_TRUE(WriteFileAtomic(Inside("inside.html"), Html(kInside, "<p>inside</p>")));
        // Documents inside that lead outside: a frame, a redirect, and a script that reads
        // the file and turns the page the secret's colour when it could.
        ASSERT_TRUE(WriteFileAtomic(
            Inside("reader.html"),
            Html(kInside,
                 "<script>var r = new XMLHttpRequest(); r.onload = function () {"
                 " if (r.responseText.indexOf('SECRET') >= 0) document.body.style.background = '#c01080'; };"
                 " r.open('GET', 'file://" +
                     Secret() + "'); r.send();</script>")));
        ASSERT_TRUE(WriteFileAtomic(Inside("frame.html"),
                                    Html(kInside, "<iframe src=\"file://" + Secret() +
                                                      "\" style=\"width:100%;height:90vh;border:0\"></iframe>")));
        ASSERT_TRUE(WriteFileAtomic(Inside("redirect.html"),
                                    Html(kInside, "<p>redirect</p>",
                                         "<meta http-equiv=\"refresh\" content=\"0;url=file://" + Secret() + "\">")));
        fs::create_symlink(Secret(), Inside("link.html"));
        ASSERT_TRUE(work_.Write("screen.json", R"({"screens":[{"name":"s1","x":0,"y":0,"width":1024,"height":768,)"
                                               R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})"));
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + work_.File("screen.json")).c_str(), 1);
        ::setenv("TIDEMARK_WEB_FOLDERS", ("/nonexistent:" + extra_.Path()).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::unsetenv("TIDEMARK_WEB_FOLDERS");
    }

    std::string Inside(const std::string& name) const { return db_.Folder() + name; }
    std::string Secret() const { return secret_.File("secret.html"); }
    // The secret file as seen from the program folder, up and down again.
    std::string SecretRelative() const {
        return fs::path(Secret()).lexically_relative(fs::path(db_.Folder())).string();
    }

    SeparateStreamsResult Render(const std::vector<std::string>& pageLines) const {
        EXPECT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt",
                                    SqliteSetupText(3, 0, pageLines, {.fontName = "Liberation Sans"})));
        return RunProgramSeparately(
            {TIDEMARK_EXE, "--folder", db_.Folder(), "--render-pages", Out(), "--now", "2026-03-10 14:00"},
            work_.File("render.out"), work_.File("render.err"), 120);
    }
    std::string Out() const { return work_.File("out"); }
    QImage Page(int p) const {
        return QImage(QString::fromStdString(Out() + "/Tidemark_window" + std::to_string(p) + ".png"))
            .convertToFormat(QImage::Format_RGB32);
    }

    SqliteFixture db_{"INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"};
    TempFolder secret_{"tidemark-secret"};
    TempFolder extra_{"tidemark-extra"};
    TempFolder work_{"tidemark-webfolders"};
};

}  // namespace

TEST_F(WebFoldersTest, AFileOutsideIsANoticeInThePageImageWhicheverWayItIsNamed) {
    const std::vector<std::string> refused = {Secret(), "file://" + Secret(), SecretRelative(), "link.html"};
    ASSERT_EQ(SecretRelative().rfind("../", 0), 0u) << SecretRelative();
    const std::string missing = secret_.File("missing.html");
    SeparateStreamsResult run =
        Render({PageLine(1, "Refused"), WebLine(1, refused[0]), WebLine(2, refused[1]), WebLine(3, refused[2]),
                WebLine(4, refused[3]), PageLine(2, "Missing"), WebLine(1, missing), WebLine(2, Inside("")),
                PageLine(3, "Refused again"), WebLine(1, Secret())});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;

    QImage page = Page(1);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(Count(page, kSecret), 0);
    // Four notices, each a good part of a quarter of the page.
    EXPECT_GT(Count(page, kNotice), page.width() * page.height() / 2);
    for (const std::string& address : refused)
        EXPECT_EQ(Occurrences(run.err, "Web screen " + address + " not shown: it lies outside the folders"), 1u)
            << address << "\n"
            << run.err;
    // Page 3 names the same file again: told once.
    EXPECT_EQ(Count(Page(3), kSecret), 0);
    EXPECT_EQ(Occurrences(run.err, "Web screen " + Secret() + " not shown"), 1u) << run.err;

    EXPECT_GT(Count(Page(2), kNotice), page.width() * page.height() / 4);
    EXPECT_NE(run.err.find("Web screen " + missing + " not shown: it was not found"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Web screen " + Inside("") + " not shown: it is not a regular file"), std::string::npos)
        << run.err;
}

TEST_F(WebFoldersTest, FilesInsideAndInNamedFoldersAreShownButDoNotLeadOutside) {
    SeparateStreamsResult run =
        Render({PageLine(1, "Allowed"), WebLine(1, "inside.html"), WebLine(2, extra_.File("extra.html")),
                PageLine(2, "Led astray"), WebLine(1, "frame.html"), WebLine(2, "file://" + Inside("redirect.html")),
                WebLine(3, "reader.html")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    QImage allowed = Page(1), astray = Page(2);
    ASSERT_FALSE(allowed.isNull());
    ASSERT_FALSE(astray.isNull());
    const int quarter = allowed.width() * allowed.height() / 4;
    EXPECT_GT(Count(allowed, kInside), quarter);
    EXPECT_GT(Count(allowed, kExtra), quarter);
    EXPECT_EQ(Count(allowed, kNotice), 0);
    // The frame stays empty, the redirect is not followed, the file is not read: the
    // pages show themselves.
    EXPECT_EQ(Count(astray, kSecret), 0);
    EXPECT_GT(Count(astray, kInside), quarter);
    EXPECT_EQ(run.err.find("not shown"), std::string::npos) << run.err;
}

namespace {

const QRgb kWorkerRan = qRgb(0x10, 0xa0, 0x30);  // a worker read a file beside its page
const QRgb kSharedRan = qRgb(0x30, 0x30, 0xd0);  // a shared worker did
const QRgb kStyled = qRgb(0x90, 0x40, 0x10);     // a relative style sheet applied
const QRgb kScripted = qRgb(0x50, 0x90, 0x90);   // a relative script ran
const QRgb kPictured = qRgb(0x00, 0xc8, 0x64);   // a relative image (and the inside link)
const QRgb kOutside = qRgb(0xff, 0x00, 0x00);    // the image outside

// What a worker tries: the file beside it, then the secret by every route it has (a
// request, a fetch, a script import, the program's own scheme named outright).
std::string WorkerScript(const std::string& secret) {
    return "function get(url) { try { var r = new XMLHttpRequest(); r.open('GET', url, false); r.send();"
           " return r.responseText; } catch (e) { return ''; } }\n"
           "function attempt(url) { return fetch(url).then(function (r) { return r.text(); })"
           "  .then(function (t) { return t; }, function () { return ''; }); }\n"
           "function run(reply) {\n"
           "  var leaked = get('file://" +
           secret + "') + get('tidemark-local://files" + secret +
           "');\n"
           "  try { importScripts('file://" +
           secret +
           ".js'); leaked += self.leak || ''; } catch (e) {}\n"
           "  try { importScripts('tidemark-local://files" +
           secret +
           ".js'); leaked += self.leak || ''; } catch (e) {}\n"
           "  Promise.all([attempt('file://" +
           secret + "'), attempt('tidemark-local://files" + secret +
           "')])\n"
           "    .then(function (t) { reply({inside: get('inside.txt'), leaked: leaked + t[0] + t[1]}); });\n"
           "}\n";
}

// Pixels within a few steps of `colour`: a picture's colours may come out of the engine's
// colour management a step off.
int CountNear(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) <= 6 && std::abs(qGreen(p) - qGreen(colour)) <= 6 &&
                 std::abs(qBlue(p) - qBlue(colour)) <= 6;
        }
    return n;
}

void WriteImage(const std::string& path, QRgb colour) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
}

}  // namespace

TEST_F(WebFoldersTest, AScriptInAnAllowedPageFindsNothingOutsideByAnyRouteWhileItsOwnFilesLoad) {
    ASSERT_TRUE(secret_.Write("secret.html.js", "self.leak = 'SECRET';"));
    ASSERT_TRUE(WriteFileAtomic(Inside("inside.txt"), "INSIDE"));
    ASSERT_TRUE(WriteFileAtomic(Inside("dedicated.js"),
                                WorkerScript(Secret()) + "onmessage = function () { run(postMessage); };"));
    ASSERT_TRUE(WriteFileAtomic(Inside("shared.js"), WorkerScript(Secret()) +
                                                         "onconnect = function (e) { var port = e.ports[0];"
                                                         " run(function (m) { port.postMessage(m); }); };"));
    ASSERT_TRUE(WriteFileAtomic(Inside("style.css"), "#styled { background: #904010; }"));
    ASSERT_TRUE(
        WriteFileAtomic(Inside("script.js"), "document.getElementById('scripted').style.background = '#509090';"));
    fs::create_directories(Inside("img"));
    WriteImage(Inside("img/picture.png"), kPictured);
    const std::string box = "style=\"display:inline-block;width:120px;height:120px\"";
    const std::string page =
        Html(kInside,
             "<div id=\"ran\" " + box + "></div><div id=\"shared\" " + box + "></div><div id=\"styled\" " + box +
                 "></div><div id=\"scripted\" " + box +
                 "></div><img src=\"img/picture.png\" width=\"120\" height=\"120\">"
                 "<script src=\"script.js\"></script><script>\n"
                 "function seen(id, colour, m) {\n"
                 "  if (m.leaked.indexOf('SECRET') >= 0) document.body.style.background = '#c01080';\n"
                 "  if (m.inside === 'INSIDE') document.getElementById(id).style.background = colour; }\n"
                 "var w = new Worker('dedicated.js'); w.onmessage = function (e) { seen('ran', '#10a030', e.data); };"
                 " w.postMessage('go');\n"
                 "var s = new SharedWorker('shared.js'); s.port.onmessage = function (e) {"
                 " seen('shared', '#3030d0', e.data); };\n"
                 "fetch('file://" +
                 Secret() +
                 "').then(function (r) { return r.text(); }).then(function (t) {"
                 " if (t.indexOf('SECRET') >= 0) document.body.style.background = '#c01080'; }, function () {});\n"
                 "</script>",
             "<link rel=\"stylesheet\" href=\"style.css\">");
    ASSERT_TRUE(WriteFileAtomic(Inside("workers.html"), page));

    SeparateStreamsResult run = Render({PageLine(1, "Workers"), WebLine(1, "workers.html")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    QImage image = Page(1);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(Count(image, kSecret), 0);
    // The page's own files all came through: its workers ran and read the file beside it.
    for (QRgb shown : {kWorkerRan, kSharedRan, kStyled, kScripted})
        EXPECT_GT(Count(image, shown), 1000) << std::hex << shown;
    EXPECT_GT(CountNear(image, kPictured), 1000);
}

TEST_F(WebFoldersTest, ALinkFlippedOutsideWhileAPageLoadsNeverShowsTheOutsideFile) {
    WriteImage(Inside("green.png"), kPictured);
    WriteImage(secret_.File("red.png"), kOutside);
    // A picture named directly shows that the page loaded its pictures at all.
    std::string tiles = "<img src=\"green.png\" width=\"48\" height=\"48\">";
    for (int i = 0; i < 600; ++i)
        tiles += "<img src=\"picture.png?n=" + std::to_string(i) + "\" width=\"24\" height=\"24\">";
    ASSERT_TRUE(WriteFileAtomic(Inside("flip.html"), Html(kInside, tiles)));
    ASSERT_TRUE(WriteFileAtomic(Inside("flip2.html"), Html(kInside, tiles)));
    fs::create_symlink(Inside("green.png"), Inside("picture.png"));

    // The link turns between the file inside and the one outside, each turn one rename,
    // as fast as it can for as long as the program runs.
    std::atomic<bool> stop = false;
    std::atomic<long> flips = 0;
    std::thread flipper([&] {
        const std::string targets[] = {secret_.File("red.png"), Inside("green.png")};
        while (!stop) {
            std::error_code ec;
            fs::remove(Inside("next.png"), ec);
            fs::create_symlink(targets[flips % 2], Inside("next.png"), ec);
            fs::rename(Inside("next.png"), Inside("picture.png"), ec);
            ++flips;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    SeparateStreamsResult run =
        Render({PageLine(1, "Flipped"), WebLine(1, "flip.html"), PageLine(2, "Again"), WebLine(1, "flip2.html")});
    stop = true;
    flipper.join();
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_GT(flips, 1000);
    for (int p = 1; p <= 2; ++p) {
        QImage image = Page(p);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(CountNear(image, kOutside), 0) << "page " << p;
        EXPECT_GT(CountNear(image, kPictured), 0) << "page " << p;
    }
}

TEST_F(WebFoldersTest, ABareNameThatIsNotThereIsAFileNotFoundNotAWebAddress) {
    SeparateStreamsResult run = Render({PageLine(1, "Missing"), WebLine(1, "missing_notes.html"),
                                        WebLine(2, "nothere3.pdf"), WebLine(3, "reports/nothere4.html")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    for (const char* name : {"missing_notes.html", "nothere3.pdf", "reports/nothere4.html"})
        EXPECT_NE(run.err.find(std::string("Web screen ") + name + " not shown: it was not found"), std::string::npos)
            << name << "\n"
            << run.err;
    EXPECT_GT(Count(Page(1), kNotice), Page(1).width() * Page(1).height() / 4);
}

TEST_F(WebFoldersTest, ANoticeNamesTheAddressAsWrittenNeverWhereItsLinkLed) {
    fs::create_symlink("/proc/self/environ", Inside("environ.html"));
    SeparateStreamsResult run = Render({PageLine(1, "Linked"), WebLine(1, "environ.html")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("Web screen environ.html not shown: it lies outside the folders"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("/proc/"), std::string::npos) << run.err;
}

TEST_F(WebFoldersTest, WhatPagesWriteToTheirConsoleStaysOffTheTerminalUnlessAskedForEscaped) {
    ASSERT_TRUE(WriteFileAtomic(Inside("console.html"), Html(kInside,
                                                             "<script>for (var i = 0; i < 20; ++i)"
                                                             " console.error('\\x1b[2JCONSOLE-MARK ' + i);</script>")));
    SeparateStreamsResult quiet = Render({PageLine(1, "Console"), WebLine(1, "console.html")});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.out << quiet.err;
    EXPECT_EQ(quiet.err.find("CONSOLE-MARK"), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find('\x1b'), std::string::npos);

    ::setenv("QT_LOGGING_RULES", "tidemark.web.console.debug=true", 1);
    SeparateStreamsResult asked = Render({PageLine(1, "Console"), WebLine(1, "console.html")});
    ::unsetenv("QT_LOGGING_RULES");
    ASSERT_EQ(asked.exitCode, 0) << asked.out << asked.err;
    EXPECT_EQ(asked.err.find('\x1b'), std::string::npos) << asked.err;
    EXPECT_EQ(Occurrences(asked.err, "\\x1B[2JCONSOLE-MARK"), 5u) << asked.err;
    EXPECT_EQ(Occurrences(asked.err, "console: further lines not shown"), 1u) << asked.err;
}

TEST_F(WebFoldersTest, AWorkbookThatUnpacksToGigabytesIsANoticeAndTheRoundGoesOn) {
    // 2 MB of zip that unpacks to 2 GB: the sheet part is the same row again and again.
    const std::string script = work_.File("bomb.py");
    ASSERT_TRUE(WriteFileAtomic(
        script,
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
        "z.writestr('[Content_Types].xml', '<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
        "content-types\"/>')\n"
        "z.writestr('_rels/.rels', '<Relationships><Relationship Id=\"r1\" Target=\"xl/workbook.xml\"/>"
        "</Relationships>')\n"
        "z.writestr('xl/workbook.xml', '<workbook><sheets><sheet name=\"S\" r:id=\"r1\"/></sheets></workbook>')\n"
        "z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship Id=\"r1\" "
        "Target=\"worksheets/sheet1.xml\"/></Relationships>')\n"
        "with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as part:\n"
        "    part.write(b'<worksheet><sheetData>')\n"
        "    row = b'<row><c><v>1</v></c></row>' * 40000\n"
        "    for i in range(2000): part.write(row)\n"
        "    part.write(b'</sheetData></worksheet>')\n"
        "z.close()\n"));
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + Inside("bomb.xlsx")).c_str()), 0);
    ASSERT_LT(fs::file_size(Inside("bomb.xlsx")), 8u * 1024 * 1024);
    SeparateStreamsResult run =
        Render({PageLine(1, "Bomb"), WebLine(1, "bomb.xlsx"), PageLine(2, "After"), WebLine(1, "inside.html")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_FALSE(Page(1).isNull());
    EXPECT_GT(Count(Page(2), kInside), Page(2).width() * Page(2).height() / 2);
}

TEST_F(WebFoldersTest, AFolderThatOpensEverythingIsToldAtStartAndNotUsed) {
    ::setenv("TIDEMARK_WEB_FOLDERS", ("/:" + extra_.Path()).c_str(), 1);
    SeparateStreamsResult run =
        Render({PageLine(1, "Folders"), WebLine(1, extra_.File("extra.html")), WebLine(2, "/etc/hostname")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(Occurrences(run.err, "Web folder / not used: it opens / and every file below it"), 1u) << run.err;
    EXPECT_NE(run.err.find("Web screen /etc/hostname not shown: it lies outside the folders"), std::string::npos)
        << run.err;
    EXPECT_GT(Count(Page(1), kExtra), 0);
}
