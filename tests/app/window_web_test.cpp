// Web screens in the window: HTML, PDF and workbook documents on screen and in page
// images, the splash while they load, the documents' clicks and the web-screen menu,
// and the files outside the allowed folders they never show.
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>

#include "app/auto_paging_frame.h"
#include "app/document_browser.h"
#include "app/menu_list.h"
#include "app/setup_frame.h"
#include "app/splash_window.h"
#include "support/pdf_files.h"
#include "support/temp_folder.h"
#include "web_fixture.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

// The share of pixels of `color` in the rectangle (allowing for the engine's rounding).
double ShareOf(const QImage& image, const QRect& r, const QColor& color) {
    int hits = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); y += 4)
        for (int x = r.left(); x <= r.right(); x += 4) {
            QColor c = image.pixelColor(x, y);
            ++all;
            if (std::abs(c.red() - color.red()) < 8 && std::abs(c.green() - color.green()) < 8 &&
                std::abs(c.blue() - color.blue()) < 8)
                ++hits;
        }
    return all ? double(hits) / all : 0;
}

}  // namespace

TEST_F(WebScreenTest, AnUnattendedRunLoadsEveryWebScreenAndItsImagesShowTheDocuments) {
    testsupport::TempFolder pictures;
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt", pictures.Path() + "\r\n\r\n\r\n"));
    // The PDF's address ends in a space: still a PDF.
    WriteSetup(SetupText({PageLine(1, "Block"), WebLine(1, Html(), 0), PageLine(2, "Report"), WebLine(1, Pdf() + " "),
                          PageLine(3, "Sites"), WebLine(1, Xlsx())}));
    // The splash's labels as they change while the pages load.
    std::vector<QString> labels;
    QString notice;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<SplashWindow*>(w)) {
                if (!splash->ProgressLabel().isEmpty() && (labels.empty() || labels.back() != splash->ProgressLabel()))
                    labels.push_back(splash->ProgressLabel());
                if (!splash->Message().isEmpty()) notice = splash->Message();
            }
    });
    watch.start(0);
    ASSERT_EQ(Open(1), 0);
    watch.stop();
    EXPECT_EQ(labels, (std::vector<QString>{" 1 of 3", " 2 of 3", " 3 of 3"}));
    EXPECT_EQ(notice, QString("Help is online at ") + kHelpPageAddress);
    EXPECT_TRUE(QString(kHelpPageAddress).endsWith("README.md"));

    // Scroll bars off for the HTML page; the other two cannot be scripted.
    EXPECT_EQ(Js(0, "document.documentElement.style.overflow")->toString(), "hidden");
    // The first sheet of the workbook (its tables in name order): mhour, with its header
    // row, drawn by the program: no browser engine for it.
    auto* sheet = dynamic_cast<DocumentBrowser*>(BrowserOf(2));
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->Text().contains("datatype_site_id"));

    ASSERT_TRUE(WaitUntil([&] { return window_->HasClosed(); }, 60000));
    // Once each: the round begins with page 2 and ends with page 1.
    std::vector<std::string> once;
    for (int p : {2, 3, 1}) once.push_back(pictures.File("Tidemark_window" + std::to_string(p) + ".png"));
    EXPECT_EQ(written_, once);
    for (int p = 1; p <= 3; ++p) {
        QImage image(QString::fromStdString(pictures.File("Tidemark_window" + std::to_string(p) + ".png")));
        ASSERT_FALSE(image.isNull()) << p;
        QRect middle(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
        if (p == 1) {
            EXPECT_GT(ShareOf(image, middle, kBlockColor), 0.95);
        }
        // The viewer shows the red page among its grey margins.
        if (p == 2) {
            EXPECT_GT(ShareOf(image, middle, QColor(255, 0, 0)), 0.3);
        }
        // The sheet: white cells with dark text.
        if (p == 3) {
            EXPECT_GT(ShareOf(image, QRect(0, 0, 200, 100), QColor(255, 255, 255)), 0.2);
            EXPECT_GT(ShareOf(image, QRect(0, 0, 200, 100), QColor(0xe4, 0xe4, 0xe4)), 0.02);
        }
    }
}

// A round confirmed while the window opens, page 1 being drawn and the later pages and
// their documents still to load: it begins with page 1, whose data is there, and turns on
// only after the load, so that no image shows a page without its data or document, and
// every page is written once.
TEST_F(WebScreenTest, ARoundConfirmedWhileThePagesStillLoadWritesEachPageOnceWithItsData) {
    testsupport::TempFolder pictures;
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt", pictures.Path() + "\r\n\r\n\r\n"));
    WriteSetup(SetupText({PageLine(1, "Rivers"), GraphLine(1, 101, kBackA), PageLine(2, "Block"), WebLine(1, Html(), 0),
                          PageLine(3, "Wind"), GraphLine(1, 103, kBackC)}));
    bool confirmed = false;
    bool stillLoading = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        // The first events after the window is shown run inside page 1's draw.
        if (confirmed || !window_ || !window_->isVisible() || !drawn_.empty()) return;
        confirmed = true;
        stillLoading = state_.loading;
        AutoPagingFrame* frame = window_->AutoPaging();
        frame->WritePageImage()->setChecked(true);
        frame->AutoPagingOn()->setChecked(true);
        frame->PageTime()->setValue(3600);  // the test ticks itself
        AnswerPublishDialog("OKButton");
        QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    });
    watch.start(0);
    ASSERT_EQ(Open(), 0);
    watch.stop();
    ASSERT_TRUE(confirmed);
    ASSERT_TRUE(stillLoading);
    auto image = [&](int p) { return pictures.File("Tidemark_window" + std::to_string(p) + ".png"); };
    EXPECT_EQ(written_, std::vector<std::string>{image(1)});
    EXPECT_EQ(state_.currentpage, 1);
    EXPECT_EQ(state_.imageCycleMarker, 1);
    EXPECT_TRUE(window_->Pager().Timer().isActive());
    QImage rivers(QString::fromStdString(image(1)));
    ASSERT_FALSE(rivers.isNull());
    EXPECT_EQ(rivers.pixelColor(3, 3), QColor(0xE4, 0xE9, 0xF0));  // kBackA

    for (int tick = 0; tick < 3; ++tick) window_->Pager().Tick();  // 2, 3 and 1 again
    EXPECT_EQ(state_.imageCycleMarker, 0);
    EXPECT_EQ(written_, (std::vector<std::string>{image(1), image(2), image(3)}));
    QImage block(QString::fromStdString(image(2)));
    ASSERT_FALSE(block.isNull());
    QRect middle(block.width() / 4, block.height() / 4, block.width() / 2, block.height() / 2);
    EXPECT_GT(ShareOf(block, middle, kBlockColor), 0.95);
}

TEST_F(WebScreenTest, ClicksInTheDocumentPageOrOpenTheMenuAsTheNavigationSwitchSays) {
    WriteSetup(
        SetupText({PageLine(1, "Rivers"), GraphLine(1, 101), PageLine(2, "Block"), WebLine(1, Html()),
                   PageLine(3, "Links"), WebLine(1, Html(), -1, 0, 0, 1), PageLine(4, "Creek"), GraphLine(1, 102)}));
    ASSERT_EQ(Open(), 0);
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 2);
    MenuList* menu = window_->WebMenu();

    // Right button: nothing on the body, the menu on a link, over the browser's middle.
    MouseUp(0, "", 2);
    QTest::qWait(300);
    EXPECT_FALSE(menu->isVisible());
    MouseUp(0, "link", 2);
    ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
    QRect view = BrowserOf(0)->View()->geometry();
    EXPECT_NEAR(menu->pos().x(), view.left() + view.width() / 2, 1);
    EXPECT_EQ(menu->pos().y(), view.top() + TwipsToPixels(1000));
    EXPECT_FALSE(BrowserOf(0)->View()->contextMenuPolicy() == Qt::DefaultContextMenu);

    // Left button pages forward, with Ctrl back.
    MouseUp(0, "block", 0);
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 3; }));
    EXPECT_FALSE(menu->isVisible());
    // Navigation allowed: the click is the page's (the link is followed), no paging.
    MouseUp(1, "", 0);
    QTest::qWait(300);
    EXPECT_EQ(state_.currentpage, 3);
    MouseUp(1, "block", 0, true);
    QTest::qWait(300);
    EXPECT_EQ(state_.currentpage, 3);
    window_->Pager().PreviousPage();
    ASSERT_EQ(state_.currentpage, 2);
    MouseUp(0, "block", 0, true);
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 1; }));
    EXPECT_FALSE(window_->Pager().Timer().isActive());  // a click on a web screen stops auto paging
}

TEST_F(WebScreenTest, UpdateThisBringsANavigatedPageHomeAndBackReturnsFromALink) {
    WriteSetup(
        SetupText({PageLine(1, "Links"), WebLine(1, Html(), -1, 0, 0, 1), PageLine(2, "Rivers"), GraphLine(1, 101)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(browser->View()->isVisible());
    // The user follows the link.
    Js(0, "document.getElementById('link').click(); true");
    ASSERT_TRUE(WaitUntil([&] { return browser->Location().endsWith("other.html") && browser->Complete(); }));
    // "Back" with navigation allowed and the page away from home: home again, same page.
    window_->WebMenu()->Choose("Back");
    EXPECT_TRUE(browser->Location().endsWith("block.html"));
    EXPECT_EQ(state_.currentpage, 1);
    // Away once more; "Update This" refreshes and navigates home.
    Js(0, "document.getElementById('link').click(); true");
    ASSERT_TRUE(WaitUntil([&] { return browser->Location().endsWith("other.html") && browser->Complete(); }));
    window_->WebMenu()->Choose("Update This");
    EXPECT_TRUE(browser->Location().endsWith("block.html"));
    EXPECT_TRUE(browser->View()->isVisible());
    // At home, "Back" turns to the previous page (wrapping to the last).
    window_->WebMenu()->Choose("Back");
    EXPECT_EQ(state_.currentpage, 2);
}

TEST_F(WebScreenTest, ScrollBarsKeepThePositionTheyWereHiddenAtAndTheSetupSavesWhereThePageIs) {
    WriteSetup(SetupText({PageLine(1, "Block"), WebLine(1, Html(), -1, 0, 300)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return browser->ScrollPosition().y() == 300; }));  // the saved position
    Js(0, "window.scrollTo(40, 700); true");
    ASSERT_TRUE(WaitUntil([&] { return browser->ScrollPosition() == QPoint(40, 700); }));
    const GraphDef& g = state_.pages.Graph(1, 0);
    window_->WebMenu()->Choose("ScrollBars");  // hidden, at (40, 700)
    EXPECT_EQ(g.hrmarker, 0);
    EXPECT_EQ(g.daymarker, 40);
    EXPECT_EQ(g.logyscale, 700);
    EXPECT_TRUE(state_.setupdirty);
    EXPECT_EQ(Js(0, "document.documentElement.style.overflow")->toString(), "hidden");
    window_->WebMenu()->Choose("ScrollBars");  // shown again
    EXPECT_EQ(g.hrmarker, -1);
    EXPECT_EQ(Js(0, "document.documentElement.style.overflow")->toString(), "");
    // Scrolled elsewhere and reloaded: the page comes back where the bars were hidden.
    Js(0, "window.scrollTo(0, 100); true");
    window_->WebMenu()->Choose("Update This");
    ASSERT_TRUE(WaitUntil([&] { return browser->ScrollPosition() == QPoint(40, 700); }));

    // Saving takes the position the page shows now.
    Js(0, "window.scrollTo(0, 1234); true");
    ASSERT_TRUE(WaitUntil([&] { return browser->ScrollPosition().y() == 1234; }));
    answers_.push_back(MsgAnswer::Yes);  // "Do you want to SAVE SETUP CHANGES????"
    window_->close();
    ASSERT_TRUE(window_->HasClosed());
    std::string text = ReadFileBytes(db_.Folder() + "Tidemark_setup.txt").value_or("");
    EXPECT_NE(text.find(";Web Screen;" + Html() + ";-1 ; 0 ; 1234 ;"), std::string::npos) << text;
}

TEST_F(WebScreenTest, EnlargeCoversTheWindowUntilTheNextPage) {
    WriteSetup(SetupText(
        {PageLine(1, "Two"), GraphLine(1, 101), WebLine(2, Html()), PageLine(2, "Rivers"), GraphLine(1, 102)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    QRect placed = browser->View()->geometry();
    window_->WebMenu()->Choose("Enlarge");
    EXPECT_EQ(window_->WebMenu()->EntryText(0), "Shrink");
    EXPECT_EQ(browser->View()->geometry(),
              QRect(0, 0, TwipsToPixels(window_->width() * 15 + 22), TwipsToPixels(window_->height() * 15 + 22)));
    window_->WebMenu()->Choose("Next");
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_EQ(window_->WebMenu()->EntryText(0), "Enlarge");
    EXPECT_FALSE(browser->View()->isVisible());
    window_->Pager().NextPage();
    EXPECT_EQ(browser->View()->geometry(), placed);
}

TEST_F(WebScreenTest, ClosingOnAPageOfDocumentsOnlyOpensTheMenuInstead) {
    WriteSetup(SetupText({PageLine(1, "Reports"), WebLine(1, Pdf()), WebLine(2, Xlsx())}));
    ASSERT_EQ(Open(), 0);
    window_->close();
    EXPECT_FALSE(window_->HasClosed());
    EXPECT_TRUE(window_->WebMenu()->isVisible());
    EXPECT_EQ(window_->WebMenu()->pos().x(), window_->width() * 3 / 4);
    // At least 1000 twips high, and as high and wide as its entries need to show whole.
    MenuList* menu = window_->WebMenu();
    EXPECT_GE(menu->height(), TwipsToPixels(1000));
    for (int row = 0; row < menu->count(); ++row) {
        QRect item = menu->visualItemRect(menu->item(row));
        EXPECT_TRUE(menu->viewport()->rect().contains(item)) << menu->item(row)->text().toStdString();
        EXPECT_LE(menu->fontMetrics().horizontalAdvance(menu->item(row)->text()), item.width())
            << menu->item(row)->text().toStdString();
    }
    window_->close();  // with the menu shown the window closes
    EXPECT_TRUE(window_->HasClosed());
}

TEST_F(WebScreenTest, APdfScreenShowsTheFileAsItIsWhenItsPageComesAgain) {
    WriteSetup(SetupText({PageLine(1, "Report"), WebLine(1, Pdf()), PageLine(2, "Rivers"), GraphLine(1, 101)}));
    ASSERT_EQ(Open(), 0);
    auto middle = [&] {
        QImage image = window_->CaptureClientArea();
        return ShareOf(image, QRect(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2),
                       QColor(0, 0, 255));
    };
    EXPECT_LT(middle(), 0.01);
    ASSERT_TRUE(WriteFileAtomic(Pdf(), testsupport::SolidPagesPdf({"0 0 1"})));
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);
    EXPECT_GT(middle(), 0.3);
}

TEST_F(WebScreenTest, NoLinkOrSetupEditLeadsAWebScreenToAFileOutsideTheAllowedFolders) {
    testsupport::TempFolder outside("tidemark-secret");
    ASSERT_TRUE(outside.Write("secret.html", "<!DOCTYPE html><html><body><h1>SECRET 7Q</h1></body></html>"));
    const std::string secret = "file://" + outside.File("secret.html");
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "links.html",
                                "<!DOCTYPE html><html><body><a id=\"out\" href=\"" + secret +
                                    "\">out</a><a id=\"in\" href=\"other.html\">in</a></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Links"), WebLine(1, db_.Folder() + "links.html", -1, 0, 0, 1),
                          PageLine(2, "Rivers"), GraphLine(1, 101)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    ASSERT_NE(browser, nullptr);
    auto text = [&](int index) { return Js(index, "document.body.innerText").value_or(QVariant()).toString(); };

    // The link out and a script sent out are not followed; the link in is.
    Js(0, "document.getElementById('out').click(); true");
    QTest::qWait(500);
    Js(0, "location.href = '" + QString::fromStdString(secret) + "'; true");
    QTest::qWait(500);
    EXPECT_TRUE(browser->Location().endsWith("links.html")) << browser->Location().toStdString();
    EXPECT_FALSE(text(0).contains("SECRET"));
    Js(0, "document.getElementById('in').click(); true");
    ASSERT_TRUE(WaitUntil([&] { return browser->Location().endsWith("other.html") && browser->Complete(); }));

    // A web screen added by the setup frame for the file shows a notice naming it; the
    // caption tells it (the page's title follows), and no message box holds the window up.
    std::vector<QString> captions;
    QObject::connect(window_.get(), &QWidget::windowTitleChanged, [&](const QString& c) { captions.push_back(c); });
    auto told = [&] {
        return std::count_if(captions.begin(), captions.end(), [&](const QString& c) {
            return c.startsWith(QString::fromStdString("Web screen " + secret + " not shown: it lies outside"));
        });
    };
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 2);
    const int added = state_.pages.webscreencount;
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    window_->GraphMenu()->Choose("Setup");
    SetupFrame* frame = window_->Setup();
    ASSERT_TRUE(frame->isVisible());
    frame->Select(SetupOption::AddToPage);
    frame->Dsid()->setText("");
    frame->StationName()->setText(QString::fromStdString(secret));
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    ASSERT_NE(BrowserOf(added), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return text(added).contains("is not shown"); })) << text(added).toStdString();
    EXPECT_TRUE(text(added).contains(QString::fromStdString(secret)));
    EXPECT_FALSE(text(added).contains("SECRET"));
    EXPECT_EQ(told(), 1);
    EXPECT_TRUE(messages_.empty());
    // "Update This" shows the notice again, and it is not told again.
    window_->WebMenu()->Choose("Update This");
    EXPECT_TRUE(text(added).contains("is not shown"));
    EXPECT_EQ(told(), 1);
}

TEST_F(WebScreenTest, ScrollBarsShownAndHiddenAgainLeaveThePageWhereItWasAndSaveThatPosition) {
    // Without a doctype the body scrolls rather than the document.
    const std::string quirks = db_.Folder() + "quirks.html";
    ASSERT_TRUE(WriteFileAtomic(quirks,
                                "<html><body><div style=\"width:3000px;height:3000px;background:#1080f0\">"
                                "<a href=\"other.html\">other</a></div></body></html>"));
    WriteSetup(
        SetupText({PageLine(1, "Block"), WebLine(1, quirks, 0, 0, 300), PageLine(2, "Rivers"), GraphLine(1, 101)}));
    ASSERT_EQ(Open(), 0);
    Browser* browser = BrowserOf(0);
    ASSERT_NE(browser, nullptr);
    auto scrollY = [&] { return Js(0, "window.scrollY").value_or(QVariant(-1)).toInt(); };
    ASSERT_TRUE(WaitUntil([&] { return scrollY() == 300; }));
    // Round the pages once: the page comes back as it was left.
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);
    ASSERT_TRUE(WaitUntil([&] { return scrollY() == 300; }));
    const GraphDef& g = state_.pages.Graph(1, 0);

    window_->WebMenu()->Choose("ScrollBars");  // shown, where the page is
    EXPECT_EQ(g.hrmarker, -1);
    EXPECT_EQ(Js(0, "document.documentElement.style.overflow")->toString(), "");
    QTest::qWait(300);
    EXPECT_EQ(scrollY(), 300);
    window_->WebMenu()->Choose("ScrollBars");  // hidden again, at the same place
    EXPECT_EQ(g.hrmarker, 0);
    EXPECT_EQ(g.logyscale, 300);
    QTest::qWait(300);
    EXPECT_EQ(scrollY(), 300);

    // Shown, scrolled and hidden: the new place is kept.
    window_->WebMenu()->Choose("ScrollBars");
    Js(0, "window.scrollTo(0, 900); true");
    ASSERT_TRUE(WaitUntil([&] { return scrollY() == 900; }));
    window_->WebMenu()->Choose("ScrollBars");
    EXPECT_EQ(g.logyscale, 900);
    QTest::qWait(300);
    EXPECT_EQ(scrollY(), 900);

    answers_.push_back(MsgAnswer::Yes);  // "Do you want to SAVE SETUP CHANGES????"
    window_->close();
    ASSERT_TRUE(window_->HasClosed());
    std::string text = ReadFileBytes(db_.Folder() + "Tidemark_setup.txt").value_or("");
    EXPECT_NE(text.find(";Web Screen;" + quirks + "; 0 ; 0 ; 900 ;"), std::string::npos) << text;
}

TEST_F(WebScreenTest, PdfAndWorkbookScreensAloneStartNoBrowserEngine) {
    WriteSetup(SetupText(
        {PageLine(1, "Reports"), WebLine(1, Pdf()), WebLine(2, Xlsx()), PageLine(2, "Rivers"), GraphLine(1, 101)}));
    ASSERT_EQ(Open(), 0);
    for (int b : {0, 1}) {
        ASSERT_NE(BrowserOf(b), nullptr);
        EXPECT_NE(dynamic_cast<DocumentBrowser*>(BrowserOf(b)), nullptr) << b;
        EXPECT_TRUE(BrowserOf(b)->View()->isVisible()) << b;
    }
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    EXPECT_FALSE(window_->Web().EngineLoaded());
    // What they show: the PDF's red page, the sheet's cells.
    QImage image = window_->CaptureClientArea();
    const QRect pdf = BrowserOf(0)->View()->geometry();
    EXPECT_GT(ShareOf(image, pdf.adjusted(pdf.width() / 4, pdf.height() / 4, -pdf.width() / 4, -pdf.height() / 4),
                      QColor(255, 0, 0)),
              0.5);
    EXPECT_TRUE(dynamic_cast<DocumentBrowser*>(BrowserOf(1))->Text().contains("datatype_site_id"));

    // An HTML screen added by the setup frame brings the engine with it.
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 2);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    window_->GraphMenu()->Choose("Setup");
    SetupFrame* frame = window_->Setup();
    ASSERT_TRUE(frame->isVisible());
    frame->Select(SetupOption::AddToPage);
    frame->Dsid()->setText("");
    frame->StationName()->setText(QString::fromStdString(Html()));
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    EXPECT_TRUE(window_->Web().EngineLoaded());
    ASSERT_NE(BrowserOf(2), nullptr);
    EXPECT_EQ(dynamic_cast<DocumentBrowser*>(BrowserOf(2)), nullptr);
}
