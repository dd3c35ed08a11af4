// `tidemark --render-pages` on web screens that name local files: a file outside the
// program folder, its companions and the TIDEMARK_WEB_FOLDERS folders never reaches the
// page images, whichever way it is named or a document inside leads to it; such a web
// screen shows a notice that names it, the page is still written, and the refusal is told
// on standard error once per address.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
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
