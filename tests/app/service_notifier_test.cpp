// What the window tells the service manager that runs it: READY once page 1 is shown,
// watchdog pings from the interface thread (so they stop while it is held), and a
// status line with the data shown, the last reload and the last image.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QEventLoop>
#include <QSpinBox>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "app/auto_paging_frame.h"
#include "app/paging.h"
#include "app/service_notifier.h"
#include "app/service_status.h"
#include "support/notify_listener.h"
#include "window_fixture.h"

using namespace tidemark;
using namespace tidemark::apptest;
using namespace tidemark::testsupport;
using namespace std::chrono_literals;

namespace {

const double kThreePm = MakeDayNumber(2026, 3, 10, 15, 0, 0);

}  // namespace

TEST(ServiceStatusText, TellsThePageItsDataTheLastReloadAndTheLastImage) {
    ServiceStatus status;
    EXPECT_EQ(ServiceStatusText(status), "loading; last image none yet");
    status.page = 1;
    EXPECT_EQ(ServiceStatusText(status), "page 1, loaded at start; last image none yet");
    // Every round of the kiosk is a new process: what it shows is what it loaded at start.
    status.dataTime = MakeDayNumber(2026, 3, 10, 13, 5, 0);
    EXPECT_EQ(ServiceStatusText(status), "page 1, data of 2026-03-10 13:05, loaded at start; last image none yet");

    status.page = 3;
    status.reload = ServiceOutcome{kThreePm, ""};
    status.publishedImage = "Tidemark_window3.png";
    status.publication = ServiceOutcome{kThreePm, ""};
    status.roundImages = 4;
    status.roundMissed = 1;
    EXPECT_EQ(ServiceStatusText(status),
              "page 3, data of 2026-03-10 13:05; last reload 2026-03-10 15:00:00 ok; "
              "last image Tidemark_window3.png 2026-03-10 15:00:00 ok (3 of 4 this round)");
}

TEST(ServiceStatusText, AFaultCannotBreakTheLineIntoAssignmentsOfItsOwn) {
    ServiceStatus status;
    status.reload = ServiceOutcome{kThreePm, "database is locked\nREADY=1\r\x01"};
    std::string text = ServiceStatusText(status);
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
    EXPECT_NE(text.find("last reload 2026-03-10 15:00:00 failed: database is locked / READY=1 / \\x01"),
              std::string::npos)
        << text;
}

class ServiceNotifierTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(manager_.ok()) << manager_.error();
        auto link = ServiceManagerLink::Open(manager_.Address(), kWatchdog);
        ASSERT_TRUE(link.ok()) << link.error();
        serviceLink_ = std::move(link.value());
        WriteFourPages();
    }

    size_t Pings() const { return manager_.With("WATCHDOG").size(); }
    std::string LastStatus() const {
        auto statuses = manager_.With("STATUS");
        return statuses.empty() ? "" : AssignmentValue(statuses.back().text, "STATUS");
    }
    // The datagrams arrive on the listener's thread: waits until the last status holds
    // `text`, and says what it held when it does not.
    ::testing::AssertionResult StatusSays(const std::string& text) const {
        const auto until = std::chrono::steady_clock::now() + 3s;
        while (LastStatus().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until)
                return ::testing::AssertionFailure() << "the last status was: " << LastStatus();
            std::this_thread::sleep_for(10ms);
        }
        return ::testing::AssertionSuccess();
    }

    // A round of page images into a local folder, begun on the page after page 2 (the
    // test turns the pages itself); its first image is page 3's.
    void BeginRoundInto(const TempFolder& pictures) {
        ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt",
                                    pictures.Path() + "\r\n\r\n\r\n 0  Separately on/off\r\n"));
        BeginImageRound();
        ASSERT_TRUE(FileExists(pictures.File("Tidemark_window3.png")));
    }

    static constexpr std::chrono::microseconds kWatchdog = 600ms;
    TempFolder socketFolder_;
    NotifyListener manager_{socketFolder_.File("notify.sock")};
};

TEST_F(ServiceNotifierTest, ReadyOnceWithPageOneThenPingsWhileTheEventLoopRuns) {
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(manager_.WaitFor("READY", 5s));
    auto ready = manager_.With("READY");
    EXPECT_EQ(AssignmentValue(ready[0].text, "STATUS").rfind("page 1, data of 2026-03-10 13:05, loaded at start;", 0),
              0u)
        << ready[0].text;

    // Paging on, a reload, and a while of the event loop: READY is not told again.
    window_->Pager().ReloadAllPages();
    window_->NextPage();
    const size_t before = Pings();
    QTest::qWait(1500);
    EXPECT_GE(Pings() - before, 4u) << "pings every third of the watchdog interval";
    EXPECT_EQ(manager_.With("READY").size(), 1u);
    auto received = manager_.Received();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0].text.rfind("STATUS=loading", 0), 0u) << received[0].text;
    EXPECT_NE(received[0].text.find("EXTEND_TIMEOUT_USEC="), std::string::npos) << received[0].text;
}

TEST_F(ServiceNotifierTest, PingsStopWhileTheInterfaceThreadIsHeldAndComeBackAfter) {
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(manager_.WaitFor("READY", 5s));
    QTest::qWait(400);
    // A hung query or a drawing that never ends holds the thread just so: no events run.
    // Counted once what was already in flight has arrived.
    std::this_thread::sleep_for(100ms);
    const size_t before = Pings();
    std::this_thread::sleep_for(3 * kWatchdog);
    EXPECT_EQ(Pings(), before) << "a ping came from another thread than the interface's";
    QTest::qWait(700);
    EXPECT_GE(Pings(), before + 2);
}

TEST_F(ServiceNotifierTest, StatusFollowsThePageTheReloadAndTheImages) {
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(manager_.WaitFor("READY", 5s));
    window_->NextPage();
    EXPECT_TRUE(StatusSays("page 2, data of 2026-03-10 13:05, loaded at start;"));

    ASSERT_TRUE(window_->Pager().ReloadAllPages());
    EXPECT_TRUE(StatusSays("last reload 2026-03-10 14:00:00 ok"));

    // The database gone: the reload fails, and says why.
    std::filesystem::rename(db_.Path(), db_.Path() + ".away");
    EXPECT_FALSE(window_->Pager().ReloadAllPages());
    EXPECT_TRUE(StatusSays("last reload 2026-03-10 14:00:00 failed: "));
    std::filesystem::rename(db_.Path() + ".away", db_.Path());

    TempFolder pictures;
    ASSERT_NO_FATAL_FAILURE(BeginRoundInto(pictures));
    EXPECT_TRUE(StatusSays("page 3, data of 2026-03-10 13:05;"));
    EXPECT_TRUE(StatusSays("last image Tidemark_window3.png 2026-03-10 14:00:00 ok (1 of 1 this round)"));

    // An image that cannot be written is told as such, and counted.
    std::filesystem::remove_all(pictures.Path());
    window_->Pager().NextPage();
    EXPECT_TRUE(
        StatusSays("last image Tidemark_window4.png 2026-03-10 14:00:00 failed: not written or not sent "
                   "(1 of 2 this round)"));
}

TEST_F(ServiceNotifierTest, ClosingTellsTheManagerTheDisplayIsStopping) {
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(manager_.WaitFor("READY", 5s));
    window_->close();
    ASSERT_TRUE(manager_.WaitFor("STOPPING", 5s));
    const size_t after = Pings();
    QTest::qWait(500);
    EXPECT_EQ(Pings(), after) << "pings after the display said it stops";
}

// A signal read while a page of a round is drawn (its events run while it waits for the
// window to paint) is told to the manager at once, but the window closes only after the
// page's image is written, without asking about the unsaved setup, and with status 0.
TEST_F(ServiceNotifierTest, AStopBySignalWaitsForThePageBeingDrawnAndItsImage) {
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(manager_.WaitFor("READY", 5s));
    window_->NextPage();
    TempFolder pictures;
    ASSERT_NO_FATAL_FAILURE(BeginRoundInto(pictures));
    state_.setupdirty = true;

    QEventLoop loop;
    int exitStatus = -1;
    bool drawingWhenClosed = false;
    bool drawing = false;
    QObject::connect(window_.get(), &MainWindow::Closed, &loop, [&](int status) {
        exitStatus = status;
        drawingWhenClosed = drawing;
        loop.quit();
    });
    QTimer::singleShot(0, [&] {
        // Read from the first events the draw lets run.
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(drawing);
            window_->StopOnSignal("SIGTERM");
        });
        drawing = true;
        window_->Pager().NextPage();
        drawing = false;
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();

    EXPECT_EQ(exitStatus, 0);
    EXPECT_FALSE(drawingWhenClosed) << "the window closed in the middle of the draw";
    EXPECT_TRUE(FileExists(pictures.File("Tidemark_window4.png"))) << "the image of the page drawn was not written";
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    ASSERT_EQ(manager_.With("STOPPING").size(), 1u);
    for (const auto& entry : std::filesystem::directory_iterator(pictures.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

TEST(ServiceNotifierWithoutManager, StartedByHandItSaysNothingAndDoesNotPing) {
    ServiceNotifier notifier(nullptr);
    notifier.Starting();
    notifier.Ready();
    notifier.PageShown(1, kThreePm);
    EXPECT_FALSE(notifier.Linked());
    EXPECT_FALSE(notifier.PingTimer().isActive());
    EXPECT_EQ(notifier.Status().page, 1);
}
