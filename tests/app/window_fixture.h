#pragma once
// A program folder with a small SQLite database and a setup file, and a main window on
// it with a fixed clock; message boxes are answered from a queue and recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/auto_paging_frame.h"
#include "app/main_window.h"
#include "app/publish_dialog.h"
#include "core/daynum.h"
#include "core/textfile.h"
#include "devices/net/service_manager.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"

namespace tidemark::apptest {

// 10 March 2026, 14:00.
inline const double kNow = MakeDayNumber(2026, 3, 10, 14, 0, 0);

inline constexpr int32_t kBackA = 0xF0E9E4;  // light blue-grey backdrop
inline constexpr int32_t kBackB = 0xD0F0D0;  // light green
inline constexpr int32_t kBackC = 0xC0E0FF;  // light orange

inline std::string SetupText(const std::vector<std::string>& pageLines, const std::string& bigValue = "False") {
    return testsupport::SqliteSetupText(5, 2, pageLines,
                                        {.bigCurrentValue = bigValue == "True", .fontName = "Liberation Sans"});
}

inline std::string PageLine(int page, const std::string& title, bool ftpOff = false) {
    return " " + std::to_string(page) + " ;" + title + "; 10 ; 8 ;-1 ;" + (ftpOff ? "FTP_OFF" : "FTP_ON") + ";UNITS_ON";
}

inline std::string GraphLine(int graph, int dsid, int32_t backcolor = kBackA, double highwatch = 0) {
    return " " + std::to_string(graph) + " ; " + std::to_string(dsid) + " ;Stage;Creek; 0 ; 0 ; 0 ; " +
           std::to_string(backcolor) + " ; 16777215 ; 255 ; 65280 ; " + std::to_string(highwatch) + " ; 0 ; 0 ; 0 ";
}

inline const char* kRows =
    "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
    "INSERT INTO rsite VALUES (102, 'River', 1, 'Stage', 'ft', 2);"
    "INSERT INTO rsite VALUES (103, 'Ridge', 2, 'Wind', 'direction', 3);"
    "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
    "INSERT INTO rhour VALUES (101, '2026-03-10 12:00:00', 2.5);"
    "INSERT INTO rhour VALUES (101, '2026-03-10 13:00:00', 2.75);"
    "INSERT INTO rhour VALUES (102, '2026-03-10 13:00:00', 7.125);"
    "INSERT INTO rhour VALUES (103, '2026-03-10 13:00:00', 2);";

// Lets events run until `done` holds; false when it still does not after `ms`. (Qt Test's
// own QTRY macros only return from the test when they time out, which passes it.)
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }

// Answers the publishing settings dialog the next time it is shown modally: `answer`
// may fill its boxes, then the named button is clicked ("OKButton", "CancelButton").
inline void AnswerPublishDialog(const std::string& button, std::function<void(PublishDialog&)> answer = {}) {
    QTimer::singleShot(0, [button, answer] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<PublishDialog*>(w); dialog && dialog->isVisible()) {
                if (answer) answer(*dialog);
                dialog->findChild<QPushButton*>(QString::fromStdString(button))->click();
                return;
            }
        ADD_FAILURE() << "the publishing settings dialog was not shown";
    });
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.ok()) << db_.error();
        ASSERT_TRUE(db_.Exec(kRows));
        state_.programFolder = db_.Folder();
    }
    void TearDown() override {
        if (window_ && !window_->HasClosed()) {
            state_.setupdirty = false;
            window_->close();
        }
    }

    void WriteSetup(const std::string& text) {
        ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt", text));
    }

    // Four pages: two graphs, one, one (a direction), three.
    void WriteFourPages(const std::string& bigValue = "False", double highwatch = 0) {
        WriteSetup(SetupText(
            {PageLine(1, "Rivers"), GraphLine(1, 101, kBackA, highwatch), GraphLine(2, 102, kBackB),
             PageLine(2, "Creek"), GraphLine(1, 101, kBackB), PageLine(3, "Wind"), GraphLine(1, 103, kBackC),
             PageLine(4, "All"), GraphLine(1, 101, kBackA), GraphLine(2, 102, kBackB), GraphLine(3, 101, kBackC)},
            bigValue));
    }

    int Open(int autostartseconds = 0) {
        state_.autostartseconds = autostartseconds;
        WindowOptions options;
        options.fixedNow = kNow;
        options.printWrittenImages = false;
        options.answerMessage = [this](const std::string& text, MsgButtons) {
            messages_.push_back(text);
            if (answers_.empty()) return MsgAnswer::Ok;
            MsgAnswer a = answers_.front();
            answers_.pop_front();
            return a;
        };
        options.serviceLink = serviceLink_;
        window_ = std::make_unique<MainWindow>(state_, options);
        QObject::connect(window_.get(), &MainWindow::PageDrawn, [this](int page) {
            drawn_.push_back(page);
            drawnInWindow_.push_back(window_->internalWinId());
        });
        QObject::connect(window_.get(), &MainWindow::ImageWritten,
                         [this](const QString& path) { written_.push_back(path.toStdString()); });
        return window_->Open();
    }

    // A round of page images begun as the Auto Paging frame begins it, with a page time
    // so long that the test turns the pages itself.
    void BeginImageRound() {
        AutoPagingFrame* frame = window_->AutoPaging();
        frame->WritePageImage()->setChecked(true);
        frame->AutoPagingOn()->setChecked(true);
        frame->PageTime()->setValue(3600);
        AnswerPublishDialog("OKButton");
        window_->Pager().ConfirmAutoPaging();
    }

    testsupport::SqliteFixture db_{"", "tidemark.db"};
    ProgramState state_;
    std::unique_ptr<MainWindow> window_;
    std::vector<std::string> messages_;
    std::deque<MsgAnswer> answers_;
    std::vector<int> drawn_;
    std::vector<WId> drawnInWindow_;                   // the native window each was drawn in (0: none yet)
    std::vector<std::string> written_;                 // the images the window wrote, as it told them
    std::shared_ptr<ServiceManagerLink> serviceLink_;  // the window's service manager, if any
};

}  // namespace tidemark::apptest
