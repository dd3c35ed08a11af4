// The window position of line 9 of the setup file: applied at start, written when the
// setup is saved on closing, and the same place again when the program opens next.
#include "window_fixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "app/menu_list.h"
#include "app/paging.h"
#include "app/web_screens.h"
#include "core/vbtext.h"

using namespace tidemark;
using namespace tidemark::apptest;

QT_BEGIN_NAMESPACE
void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.width() << "x" << r.height() << " at (" << r.x() << ", " << r.y() << ")";
}
void PrintTo(const QPoint& p, std::ostream* os) { *os << "(" << p.x() << ", " << p.y() << ")"; }
void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << "x" << s.height(); }
QT_END_NAMESPACE

namespace {

std::string StartupLine(const std::string& setup) {
    size_t at = setup.find("Start Up=");
    if (at == std::string::npos) return {};
    return setup.substr(at, setup.find("\r\n", at) - at);
}

// Top, left, width, height and state as the file holds them.
std::vector<double> StartupValues(const std::string& line) {
    std::vector<double> values;
    std::string rest = line.substr(line.find('=') + 1);
    for (size_t comma; (comma = rest.find(',')) != std::string::npos; rest = rest.substr(comma + 1))
        values.push_back(Val(rest.substr(0, comma)));
    values.push_back(Val(rest));
    return values;
}

std::string WithStartup(const std::string& setup, const std::string& line) {
    return ReplaceAll(setup, StartupLine(setup), line);
}

class WindowPositionTest : public WindowTest {
protected:
    std::vector<double> SavedStartup() {
        auto bytes = ReadFileBytes(db_.Folder() + "Tidemark_setup.txt");
        return bytes ? StartupValues(StartupLine(*bytes)) : std::vector<double>();
    }

    // Saves the setup the way a user does: a command that changes the setup ("Days" of
    // the graph menu), then closing the window and answering Yes.
    void SaveByClosing() {
        window_->GraphMenu()->ShowAt(QPoint(10, 10));
        window_->GraphMenu()->Choose("Days");
        ASSERT_TRUE(state_.setupdirty);
        answers_.push_back(MsgAnswer::Yes);
        ASSERT_TRUE(window_->close());
        ASSERT_TRUE(window_->HasClosed());
    }

    void WriteFourPagesStartingAt(const std::string& startupLine) {
        WriteFourPages();
        auto setup = ReadFileBytes(db_.Folder() + "Tidemark_setup.txt");
        ASSERT_TRUE(setup.has_value());
        WriteSetup(WithStartup(*setup, startupLine));
    }

    // The program started again on the same folder.
    int Reopen() {
        window_.reset();
        state_ = ProgramState{};
        state_.programFolder = db_.Folder();
        return Open();
    }
};

}  // namespace

TEST_F(WindowPositionTest, SavingAndReopeningLeavesTheWindowWhereItWas) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    // The window is put somewhere else and made larger.
    window_->setGeometry(150, 90, 700, 500);
    // Under a window manager the window settles some time later.
    QTest::qWait(300);
    const QRect frame = window_->frameGeometry();
    const QRect client = window_->geometry();

    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        SaveByClosing();
        ASSERT_EQ(Reopen(), 0);
        WaitUntil([&] { return window_->frameGeometry() == frame && window_->geometry() == client; });
        EXPECT_EQ(window_->frameGeometry(), frame);
        EXPECT_EQ(window_->geometry(), client);
    }
    // Top, left, width, height: the client area, where the page is.
    SaveByClosing();
    EXPECT_EQ(SavedStartup(),
              (std::vector<double>{static_cast<double>(client.top()), static_cast<double>(client.left()),
                                   static_cast<double>(client.width()), static_cast<double>(client.height()), 0}));
}

TEST_F(WindowPositionTest, AMaximisedWindowKeepsItsNormalPlaceForNextTime) {
    WriteFourPagesStartingAt("Start Up= 40,30,640,480,0");
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(window_->geometry(), QRect(30, 40, 640, 480));
    EXPECT_EQ(window_->size(), QSize(640, 480));

    window_->showMaximized();
    ASSERT_TRUE(WaitUntil([&] { return window_->isMaximized(); }));
    SaveByClosing();
    EXPECT_EQ(SavedStartup(), (std::vector<double>{40, 30, 640, 480, 2}));

    // Opened maximised; the saved place is the setup's until the next save.
    ASSERT_EQ(Reopen(), 0);
    EXPECT_TRUE(WaitUntil([&] { return window_->isMaximized(); }));
}

TEST_F(WindowPositionTest, ASavedWidthOfOneAndAHalfScreensIsIgnored) {
    int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    std::string tooWide = std::to_string(screenWidth * 3 / 2);
    WriteFourPagesStartingAt("Start Up= 40,30," + tooWide + ",480,0");
    ASSERT_EQ(Open(), 0);
    EXPECT_NE(window_->width(), screenWidth * 3 / 2);
    EXPECT_NE(window_->height(), 480);
    EXPECT_NE(window_->pos(), QPoint(30, 40));
}

// A tiny saved size, or a window dragged very small, leaves the graphs no room: they are
// not drawn, and the program goes on and draws them again once there is room.
TEST_F(WindowPositionTest, AWindowTooSmallForItsGraphsGoesOnAndDrawsThemWhenThereIsRoom) {
    WriteFourPagesStartingAt("Start Up= 0 , 0 , 50 , 5 , 0 ");
    ASSERT_EQ(Open(), 0);
    window_->resize(40, 4);
    QTest::qWait(50);
    window_->resize(1200, 900);
    QTest::qWait(50);
    auto* chart = window_->findChild<QWidget*>("MSChart1_0");
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_GT(chart->width(), 100);
}

TEST_F(WindowPositionTest, AMaximisedWindowStaysMaximisedWhenItsFirstWebScreenIsMade) {
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "notes.html", "<!DOCTYPE html><html><body><p>notes</p></body></html>"));
    std::string setup = SetupText({PageLine(1, "Rivers"), GraphLine(1, 101), PageLine(2, "Notes"),
                                   " 1 ;-1 ;Web Screen;" + db_.Folder() + "notes.html; -1 ; 0 ; 0 ; 0 ; 0"});
    WriteSetup(WithStartup(setup, "Start Up= 40,30,640,480,2"));
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return window_->isMaximized(); }));
    // Page 1 is shown before the later pages load; the web screen is made meanwhile, in
    // the window page 1 was drawn in: the window was not made anew for it.
    ASSERT_NE(window_->Web().BrowserAt(0), nullptr);
    ASSERT_FALSE(drawnInWindow_.empty());
    EXPECT_NE(drawnInWindow_.front(), WId{0});
    EXPECT_EQ(window_->internalWinId(), drawnInWindow_.front());
    QTest::qWait(300);
    EXPECT_TRUE(window_->isMaximized());
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 2);
    QTest::qWait(300);
    EXPECT_TRUE(window_->isMaximized());
    // What the user sees is saved: maximised (over its normal place, not the whole
    // screen as a normal window).
    window_->Pager().NextPage();
    SaveByClosing();
    std::vector<double> saved = SavedStartup();
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[4], 2);
}

// Opened maximised from the setup, the window returns to the saved size and place when
// the user un-maximises it, and a save then writes that place again.
TEST_F(WindowPositionTest, AWindowOpenedMaximisedReturnsToItsSavedPlace) {
    WriteFourPagesStartingAt("Start Up= 40,30,640,480,2");
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return window_->isMaximized(); }));
    EXPECT_EQ(window_->normalGeometry(), QRect(30, 40, 640, 480));
    SaveByClosing();
    EXPECT_EQ(SavedStartup(), (std::vector<double>{40, 30, 640, 480, 2}));

    ASSERT_EQ(Reopen(), 0);
    ASSERT_TRUE(WaitUntil([&] { return window_->isMaximized(); }));
    window_->showNormal();
    ASSERT_TRUE(WaitUntil([&] { return !window_->isMaximized() && window_->size() == QSize(640, 480); }));
    EXPECT_EQ(window_->geometry(), QRect(30, 40, 640, 480));
    SaveByClosing();
    EXPECT_EQ(SavedStartup(), (std::vector<double>{40, 30, 640, 480, 0}));
}
