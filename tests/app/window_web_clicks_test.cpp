// Web screens answering the user: real clicks on a page whose navigation is off, the
// notice a document that cannot be reached leaves in its place, a click that turns to a
// page of documents, the page's background, the keyboard focus, and the window's edge
// under a whole-page web screen.
#include <QElapsedTimer>
#include <QImage>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTextBrowser>

#include "app/document_browser.h"
#include "support/temp_folder.h"
#include "support/workbook_files.h"

#include "web_fixture.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

// A loopback port nothing listens on.
quint16 ClosedPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) return 9;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 && std::abs(a.blue() - b.blue()) < 8;
}

class WebClickTest : public WebScreenTest {
protected:
    // The widget of browser `index` that the engine's input goes to.
    QWidget* InputOf(int index) {
        QWidget* view = BrowserOf(index)->View();
        return view->focusProxy() ? view->focusProxy() : view;
    }

    // The middle of the element `selector` in the view of browser `index`, in the view's
    // pixels.
    std::optional<QPoint> MiddleOf(int index, const QString& selector) {
        std::optional<QVariant> at = Js(index, "(function () { var r = document.querySelector('" + selector +
                                                   "').getBoundingClientRect();"
                                                   " return [Math.round(r.left + r.width / 2),"
                                                   " Math.round(r.top + r.height / 2)]; })()");
        if (!at) return std::nullopt;
        QVariantList xy = at->toList();
        if (xy.size() != 2) return std::nullopt;
        return QPoint(xy[0].toInt(), xy[1].toInt());
    }

    // A click of the mouse as the user makes it, on the view of browser `index`.
    void Click(int index, const QPoint& at, Qt::MouseButton button, Qt::KeyboardModifiers keys = {}) {
        QWidget* input = InputOf(index);
        QTest::mouseMove(input, at);
        QTest::mousePress(input, button, keys, at);
        QTest::qWait(50);
        QTest::mouseRelease(input, button, keys, at);
    }

    // A mouse-up dispatched in the document on the first element `selector` names.
    void MouseUpOn(int index, const QString& selector, int button) {
        Js(index, "document.querySelector('" + selector +
                      "').dispatchEvent(new MouseEvent('mouseup', {bubbles: true, button: " + QString::number(button) +
                      "})); true");
    }

    QString Text(int index) {
        if (auto* drawn = dynamic_cast<DocumentBrowser*>(BrowserOf(index))) return drawn->Text();
        return Js(index, "document.body.innerText").value_or(QVariant()).toString();
    }

    // Whether the document holds a focused element other than its body.
    bool SomethingFocused(int index) {
        return Js(index,
                  "!!document.activeElement && document.activeElement !== document.body &&"
                  " document.activeElement !== document.documentElement")
            .value_or(QVariant(true))
            .toBool();
    }

    bool ViewHasFocus(int index) {
        QWidget* focused = QApplication::focusWidget();
        QWidget* view = BrowserOf(index)->View();
        return focused && (focused == view || view->isAncestorOf(focused));
    }
};

}  // namespace

TEST_F(WebClickTest, WithNavigationOffALinkClickedOnlyTurnsThePage) {
    WriteSetup(SetupText({PageLine(1, "Block"), WebLine(1, Html()), PageLine(2, "Rivers"), GraphLine(1, 101),
                          PageLine(3, "Links"), WebLine(1, Html(), -1, 0, 0, 1)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return browser->Complete() && MiddleOf(0, "#link").has_value(); }));
    const QPoint link = *MiddleOf(0, "#link");

    Click(0, link, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 2; })) << "the click did not page";
    // The page the link leads to never comes, then or later.
    QTest::qWait(1000);
    EXPECT_TRUE(browser->Location().endsWith("block.html")) << browser->Location().toStdString();
    EXPECT_TRUE(Js(0, "location.href")->toString().endsWith("block.html"));
    window_->Pager().PreviousPage();
    ASSERT_EQ(state_.currentpage, 1);
    EXPECT_TRUE(Js(0, "location.href")->toString().endsWith("block.html"));
    // Nor does a click the document's own script makes.
    Js(0, "document.getElementById('link').click(); true");
    QTest::qWait(500);
    EXPECT_TRUE(Js(0, "location.href")->toString().endsWith("block.html"));

    // With navigation on, the same click follows the link and does not page.
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 3);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(1)->Complete() && MiddleOf(1, "#link").has_value(); }));
    Click(1, *MiddleOf(1, "#link"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(1)->Location().endsWith("other.html"); }));
    EXPECT_EQ(state_.currentpage, 3);
}

TEST_F(WebClickTest, WithNavigationOffTheMenuLeavesNoFocusedLinkOnThePageOrInItsImage) {
    WriteSetup(
        SetupText({PageLine(1, "Block"), WebLine(1, Html()), PageLine(2, "Links"), WebLine(1, Html(), -1, 0, 0, 1)}));
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->Complete(); }));
    for (const char* entry : {"ScrollBars", "ScrollBars", "Enlarge", "Shrink"}) {
        SCOPED_TRACE(entry);
        MouseUpOn(0, "#link", 2);
        ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
        window_->WebMenu()->Choose(entry);
        QTest::qWait(200);
        EXPECT_FALSE(ViewHasFocus(0));
        EXPECT_FALSE(SomethingFocused(0));
    }
    // A page image is taken as it shows.
    window_->CaptureClientArea();
    EXPECT_FALSE(SomethingFocused(0));

    // Where navigation is allowed the page takes the keyboard as a browser does.
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 2);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(1)->Complete(); }));
    BrowserOf(1)->View()->setFocus();
    EXPECT_TRUE(WaitUntil([&] { return ViewHasFocus(1); }));
}

TEST_F(WebClickTest, ADocumentThatCannotBeShownLeavesANoticeThatAnswersClicksAsAPageDoes) {
    const std::string unreachable = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/wall.html";
    const std::string missingPdf = db_.Folder() + "gone.pdf";
    WriteSetup(SetupText({PageLine(1, "Remote"), WebLine(1, unreachable), PageLine(2, "Report"), WebLine(1, missingPdf),
                          PageLine(3, "Rivers"), GraphLine(1, 101)}));
    std::vector<std::string> captions;
    ASSERT_EQ(Open(), 0);
    QObject::connect(window_.get(), &QWidget::windowTitleChanged,
                     [&](const QString& c) { captions.push_back(c.toStdString()); });
    ASSERT_TRUE(WaitUntil([&] { return Text(0).contains("is not shown"); }, 15000)) << Text(0).toStdString();
    EXPECT_TRUE(Text(0).contains(QString::fromStdString(unreachable)));
    EXPECT_TRUE(Text(0).contains("no connection to it could be made"));
    EXPECT_TRUE(BrowserOf(0)->View()->isVisible());

    // The notice answers as a page does: the menu on its text, paging on a left click.
    MouseUpOn(0, "p", 2);
    ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
    window_->WebMenu()->Choose("Cancel");
    MouseUpOn(0, "p", 0);
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 2; }));
    EXPECT_FALSE(window_->Pager().Timer().isActive());

    // A PDF that is not there: the notice says so, and it too turns the page.
    ASSERT_TRUE(WaitUntil([&] { return Text(1).contains("it was not found"); })) << Text(1).toStdString();
    EXPECT_TRUE(Text(1).contains(QString::fromStdString(missingPdf)));
    auto* notice = BrowserOf(1)->View()->findChild<QTextBrowser*>();
    ASSERT_NE(notice, nullptr);
    QTest::mouseClick(notice->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
    window_->WebMenu()->Choose("Cancel");
    QTest::mouseClick(notice->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 3; }));

    // "Update This" tries the address again and, still unreachable, shows the notice.
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);
    window_->WebMenu()->Choose("Update This");
    ASSERT_TRUE(WaitUntil([&] { return Text(0).contains("no connection to it could be made"); }, 15000));
    // Told in the caption once per address.
    EXPECT_EQ(std::count(captions.begin(), captions.end(),
                         "Web screen " + unreachable + " not shown: no connection to it could be made"),
              0)
        << "told again";
    EXPECT_TRUE(messages_.empty());
}

TEST_F(WebClickTest, AClickThatTurnsToAPageOfDocumentsIsAsQuickAsTheMenu) {
    WriteSetup(SetupText(
        {PageLine(1, "Block"), WebLine(1, Html()), PageLine(2, "Reports"), WebLine(1, Pdf()), WebLine(2, Xlsx())}));
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->Complete(); }));
    // Once round by the menu, so the documents' first loads do not count.
    window_->WebMenu()->Choose("Next");
    ASSERT_EQ(state_.currentpage, 2);
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);

    QElapsedTimer byMenu;
    byMenu.start();
    window_->WebMenu()->Choose("Next");
    const qint64 menuMs = byMenu.elapsed();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);

    drawn_.clear();
    QElapsedTimer byClick;
    byClick.start();
    MouseUp(0, "block", 0);
    ASSERT_TRUE(WaitUntil([&] { return !drawn_.empty() && !window_->Busy(); }, 15000));
    const qint64 clickMs = byClick.elapsed();
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_TRUE(BrowserOf(1)->View()->isVisible());
    EXPECT_TRUE(BrowserOf(1)->Complete());
    EXPECT_LT(clickMs, menuMs + 3000) << "the menu took " << menuMs << " ms";
}

// Below a short document the click lands on the root element; that is background too.
TEST_F(WebClickTest, ARightClickBelowTheContentIsOnTheBackgroundAndOpensNoMenu) {
    ASSERT_TRUE(WriteFileAtomic(
        db_.Folder() + "short.html",
        "<!DOCTYPE html><html><body style=\"margin:0\"><p style=\"margin:0\">one line</p></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Short"), WebLine(1, db_.Folder() + "short.html")}));
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->Complete() && !Text(0).isEmpty(); }));
    QWidget* view = BrowserOf(0)->View();
    ASSERT_GT(view->height(), 200);
    Click(0, QPoint(view->width() / 2, view->height() - 40), Qt::RightButton);
    // The answer goes through the page's script: give it the time a menu takes to come.
    EXPECT_FALSE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }, 1500));
    // On the text itself the menu opens, so the click did reach the program.
    Click(0, QPoint(10, 8), Qt::RightButton);
    ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
    EXPECT_EQ(state_.currentpage, 1);
}

TEST_F(WebClickTest, AWholePageWebScreenReachesTheWindowsBottomEdge) {
    // Scroll bars hidden: the document itself down to the last row.
    WriteSetup(SetupText({PageLine(1, "Block"), WebLine(1, Html(), 0)}));
    ASSERT_EQ(Open(), 0);
    QImage image = window_->CaptureClientArea();
    ASSERT_FALSE(image.isNull());
    for (int y = image.height() - 4; y < image.height(); ++y)
        for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 16)
            ASSERT_TRUE(Near(image.pixelColor(x, y), kBlockColor))
                << "at " << x << ", " << y << ": " << image.pixelColor(x, y).name().toStdString();
}

TEST_F(WebClickTest, APdfOrAWorkbookTheProgramDrawsPagesOnALeftClickAndOpensTheMenuOnARightOne) {
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "report.pdf", RedPdf()));
    std::string error;
    ASSERT_TRUE(testsupport::WriteWorkbookFromSqlite(db_.Path(), db_.Folder() + "readings.xlsx", &error)) << error;
    // Navigation on: a drawn document has no links, so a left click still pages.
    WriteSetup(SetupText({PageLine(1, "Report"), WebLine(1, "report.pdf", -1, 0, 0, -1), PageLine(2, "Readings"),
                          WebLine(1, "readings.xlsx", -1, 0, 0, -1), PageLine(3, "Rivers"), GraphLine(1, 101)}));
    ASSERT_EQ(Open(), 0);
    for (int browser : {0, 1}) {
        ASSERT_TRUE(WaitUntil([&] { return BrowserOf(browser) && BrowserOf(browser)->View()->isVisible(); }));
        ASSERT_NE(dynamic_cast<DocumentBrowser*>(BrowserOf(browser)), nullptr);
        // The click lands where the user's would: on the widget under the pointer.
        QWidget* view = BrowserOf(browser)->View();
        QWidget* under = view->childAt(view->width() / 2, view->height() / 2);
        QWidget* target = under ? under : view;
        const QPoint at = target->mapFrom(view, QPoint(view->width() / 2, view->height() / 2));
        QTest::mouseClick(target, Qt::RightButton, {}, at);
        ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); })) << "browser " << browser;
        window_->WebMenu()->Choose("Cancel");
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == browser + 2; })) << "browser " << browser;
    }
    // Ctrl with the left click is the page before.
    window_->Pager().PreviousPage();
    ASSERT_EQ(state_.currentpage, 2);
    QWidget* view = BrowserOf(1)->View();
    QWidget* under = view->childAt(view->width() / 2, view->height() / 2);
    QTest::mouseClick(under ? under : view, Qt::LeftButton, Qt::ControlModifier,
                      (under ? under : view)->mapFrom(view, QPoint(view->width() / 2, view->height() / 2)));
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 1; }));
}

TEST_F(WebClickTest, ALinkToAPdfLeavesThePageWhereItIsAndSaysWhy) {
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "report.pdf", RedPdf()));
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "links.html",
                                "<!DOCTYPE html><html><body><a id=\"pdf\" href=\"report.pdf\""
                                " style=\"font-size:60px\">the report</a></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Links"), WebLine(1, "links.html", -1, 0, 0, 1)}));
    std::vector<std::string> captions;
    ASSERT_EQ(Open(), 0);
    QObject::connect(window_.get(), &QWidget::windowTitleChanged,
                     [&](const QString& c) { captions.push_back(c.toStdString()); });
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->Complete() && MiddleOf(0, "#pdf").has_value(); }));
    Click(0, *MiddleOf(0, "#pdf"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] {
        return std::count(captions.begin(), captions.end(),
                          "Web screen " + db_.Folder() +
                              "report.pdf not shown: a PDF is shown only as a web screen"
                              " of its own, not through a link") == 1;
    })) << (captions.empty() ? std::string() : captions.back());
    // No viewer of the engine's took the screen: the page and its clicks are as they were.
    EXPECT_TRUE(Js(0, "location.href")->toString().endsWith("links.html"));
    EXPECT_EQ(state_.currentpage, 1);
    MouseUpOn(0, "a", 2);
    EXPECT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
}

// Hiding and showing the scroll bars changes nothing else the user sees: the text at the
// top of a page with the usual margins stays where it was.
TEST_F(WebClickTest, ScrollBarsHiddenAndShownLeaveThePageWhereItWas) {
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "tall.html",
                                "<!DOCTYPE html><html><body><p><span id=\"first\">Mill Falls</span></p>"
                                "<div style=\"height:5000px\"></div></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Tall"), WebLine(1, db_.Folder() + "tall.html")}));
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->Complete() && MiddleOf(0, "#first").has_value(); }));
    const QPoint before = *MiddleOf(0, "#first");
    for (bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "hidden" : "shown");
        MouseUpOn(0, "#first", 2);
        ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
        window_->WebMenu()->Choose("ScrollBars");
        ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->ScrollBarsHidden() == hidden; }));
        ASSERT_TRUE(WaitUntil([&] {
            return Js(0, "getComputedStyle(document.documentElement).overflow").value_or(QVariant()).toString() ==
                   (hidden ? "hidden" : "visible");
        }));
        std::optional<QPoint> now = MiddleOf(0, "#first");
        ASSERT_TRUE(now.has_value());
        EXPECT_EQ(now->y(), before.y());
        EXPECT_EQ(now->x(), before.x());
    }
}

// On a page whose links are followed, a link to a file the web screens may not show, or
// to none, leaves the page where it is and is told in the caption, once.
TEST_F(WebClickTest, ALinkToAMissingOrRefusedFileIsToldOnceInTheCaption) {
    testsupport::TempFolder outside;
    ASSERT_TRUE(outside.Write("private.html", "<!DOCTYPE html><html><body><p>private</p></body></html>"));
    ASSERT_TRUE(WriteFileAtomic(
        db_.Folder() + "links.html",
        "<!DOCTYPE html><html><body style=\"margin:0\"><p><a id=\"missing\" href=\"missing.html\">missing</a></p>"
        "<p><a id=\"outside\" href=\"" +
            outside.File("private.html") + "\">outside</a></p></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Links"), WebLine(1, db_.Folder() + "links.html", -1, 0, 0, -1)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    ASSERT_TRUE(WaitUntil([&] { return browser->Complete() && MiddleOf(0, "#outside").has_value(); }));

    struct Link {
        const char* id;
        std::string told;
    };
    for (const Link& link : {Link{"missing", "Web screen " + db_.Folder() + "missing.html not shown: it was not found"},
                             Link{"outside", "Web screen " + outside.File("private.html") +
                                                 " not shown: it lies outside the folders web screens may show"}}) {
        SCOPED_TRACE(link.id);
        window_->SetCaption("Links");
        Click(0, *MiddleOf(0, QString("#") + link.id), Qt::LeftButton);
        EXPECT_TRUE(WaitUntil([&] { return window_->Caption() == link.told; })) << window_->Caption();
        EXPECT_TRUE(browser->Location().endsWith("links.html")) << browser->Location().toStdString();
        EXPECT_EQ(state_.currentpage, 1);
        // Told once: a second click leaves the caption alone.
        window_->SetCaption("Links");
        Click(0, *MiddleOf(0, QString("#") + link.id), Qt::LeftButton);
        QTest::qWait(500);
        EXPECT_EQ(window_->Caption(), "Links");
    }
}

// A workbook's small numbers are shown as the spreadsheet shows them, with the zero
// before the point.
TEST_F(WebClickTest, AWorkbookShowsASmallNumberWithItsLeadingZero) {
    // The workbook's first sheet is its first table by name.
    ASSERT_TRUE(
        db_.Exec("INSERT INTO mhour VALUES (1, 1, 102, '2026-03-10 11:00:00', 0.0004);"
                 "INSERT INTO mhour VALUES (1, 1, 102, '2026-03-10 12:00:00', -0.25);"));
    std::string error;
    ASSERT_TRUE(testsupport::WriteWorkbookFromSqlite(db_.Path(), db_.Folder() + "small.xlsx", &error)) << error;
    WriteSetup(SetupText({PageLine(1, "Readings"), WebLine(1, "small.xlsx")}));
    ASSERT_EQ(Open(), 0);
    ASSERT_NE(BrowserOf(0), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(0).contains("0.0004"); })) << Text(0).toStdString();
    EXPECT_TRUE(Text(0).contains("-0.25"));
    EXPECT_FALSE(Text(0).contains(QRegularExpression("(^|[^0-9])\\.0004"))) << Text(0).toStdString();
}
