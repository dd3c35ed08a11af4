// Paging by click and by timer, the refresh on a changed update stamp, the warning blink
// and the Days frame.
#include "window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWindow>

#include "app/auto_paging_frame.h"
#include "app/days_frame.h"
#include "app/menu_list.h"
#include "app/warning_blink.h"
#include "devices/ui/chart_view.h"
#include "render/render_state.h"

using namespace tidemark;
using namespace tidemark::apptest;

TEST_F(WindowTest, ClicksPageForwardAndBackSkippingRemovedPages) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    state_.pages.Page(3).removed = true;
    // 60 pixels down is 900 twips: below the title strip.
    auto click = [&](Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(window_->Chart(0), Qt::LeftButton, modifiers, QPoint(40, 60));
    };
    click({});
    EXPECT_EQ(state_.currentpage, 2);
    click({});
    EXPECT_EQ(state_.currentpage, 4);
    click({});
    EXPECT_EQ(state_.currentpage, 1);
    click(Qt::ShiftModifier);
    EXPECT_EQ(state_.currentpage, 4);
    click(Qt::ControlModifier);
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_EQ(drawn_, (std::vector<int>{1, 2, 4, 1, 4, 2}));

    // The title strip ends at 700 twips.
    window_->ChartClicked(0, Qt::LeftButton, {}, 100, 699);
    EXPECT_EQ(state_.currentpage, 2);
    window_->ChartClicked(0, Qt::LeftButton, {}, 100, 700);
    EXPECT_EQ(state_.currentpage, 4);

    // While a page is drawn, clicks are ignored.
    window_->BeginDrawing();
    window_->ChartClicked(0, Qt::LeftButton, {}, 100, 900);
    window_->EndDrawing();
    EXPECT_EQ(state_.currentpage, 4);

    // The right button holds paging and opens the graph menu.
    window_->Pager().Timer().start(60000);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    EXPECT_FALSE(window_->Pager().Timer().isActive());
    EXPECT_TRUE(window_->GraphMenu()->isVisible());
    EXPECT_EQ(state_.currentpage, 4);
}

TEST_F(WindowTest, ADoubleClickIsOneClick) {
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    // Through the window system, which reports the second click of a double click as a
    // press, a double click and a release.
    QWindow* handle = window_->windowHandle();
    ASSERT_NE(handle, nullptr);
    auto doubleClick = [&](QWidget* on, const QPoint& at) {
        QTest::mouseDClick(handle, Qt::LeftButton, {}, on->mapTo(window_.get(), at));
    };
    // Low on the graph: one page turn, not two.
    doubleClick(window_->Chart(0), QPoint(40, 60));
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_EQ(drawn_, (std::vector<int>{1, 2}));
    // On the big current value, which passes its clicks to the graph beneath.
    QLabel* box = window_->ValueBox(0);
    ASSERT_TRUE(box->isVisible());
    doubleClick(box, box->rect().center());
    EXPECT_EQ(state_.currentpage, 3);
    // Two single clicks still turn two pages.
    QTest::mouseClick(handle, Qt::LeftButton, {}, window_->Chart(0)->mapTo(window_.get(), QPoint(300, 200)));
    QTest::mouseClick(handle, Qt::LeftButton, {}, window_->Chart(0)->mapTo(window_.get(), QPoint(300, 200)));
    EXPECT_EQ(state_.currentpage, 1);
}

TEST_F(WindowTest, AShortPagingIntervalTurnsPages) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    AutoPagingFrame* frame = window_->AutoPaging();
    frame->AutoPagingOn()->setChecked(true);
    EXPECT_TRUE(frame->PageTime()->isEnabled());
    frame->PageTime()->setValue(0);  // 0 seconds pages every second
    QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(window_->Pager().Timer().interval(), 1000);
    EXPECT_TRUE(window_->Pager().Timer().isActive());
    EXPECT_EQ(state_.currentpage, 2);  // the first turn comes at once
    ASSERT_TRUE(WaitUntil([&] { return state_.currentpage == 4; }, 3500)) << "page " << state_.currentpage;
    EXPECT_EQ(window_->Pager().ReloadCount(), 0);  // the stamp did not change

    // Turning paging off stops the timer and any image cycle.
    frame->AutoPagingOn()->setChecked(false);
    EXPECT_FALSE(frame->PageTime()->isEnabled());
    frame->WritePageImage()->setChecked(true);
    window_->Pager().ConfirmAutoPaging();
    EXPECT_FALSE(window_->Pager().Timer().isActive());
    EXPECT_EQ(state_.imageCycleMarker, 0);
}

TEST_F(WindowTest, AChangedUpdateStampReloadsExactlyOnce) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->Pager().Tick();
    EXPECT_EQ(window_->Pager().ReloadCount(), 0);
    EXPECT_EQ(state_.currentpage, 2);

    // The logger writes a new value and stamps the update.
    ASSERT_TRUE(
        db_.Exec("INSERT INTO rhour VALUES (101, '2026-03-10 13:30:00', 3.5);"
                 "UPDATE rupdate SET date_time = '2026-03-10 13:45:00' WHERE datatype_site_id = 0;"));
    window_->Pager().Tick();
    EXPECT_EQ(window_->Pager().ReloadCount(), 1);
    EXPECT_EQ(state_.currentpage, 3);
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 3.5);
    EXPECT_EQ(window_->Caption(), "Wind 2026-Mar-10 updated at 01:45 PM");
    EXPECT_FALSE(window_->DataRefreshFrame()->isVisible());

    window_->Pager().Tick();
    window_->Pager().Tick();
    EXPECT_EQ(window_->Pager().ReloadCount(), 1);
    EXPECT_EQ(state_.currentpage, 1);

    // A minimised window neither checks nor pages in a normal start.
    window_->showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return window_->isMinimized(); }));
    window_->Pager().Tick();
    EXPECT_EQ(state_.currentpage, 1);
}

TEST_F(WindowTest, TheBlinkPhaseTogglesTheWarningBox) {
    // The latest value, 2.75, is above the watch level 2.
    WriteFourPages("False", 2);
    ASSERT_EQ(Open(), 0);
    ASSERT_NE(window_->Render().warningFlags[0], 0);
    EXPECT_EQ(window_->Render().warningFlags[1], 0);
    QLabel* warning = window_->WarningBox(0);
    ASSERT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), "WARNING!");
    EXPECT_FALSE(window_->WarningBox(1)->isVisible());
    ASSERT_TRUE(window_->Blink().Timer().isActive());
    EXPECT_EQ(window_->Blink().Timer().interval(), 500);

    auto textColor = [&] { return warning->palette().color(QPalette::WindowText); };
    QColor back = warning->palette().color(QPalette::Window);
    bool phase = window_->Blink().Phase();
    window_->Blink().Tick();
    EXPECT_NE(window_->Blink().Phase(), phase);
    QColor first = textColor();
    window_->Blink().Tick();
    QColor second = textColor();
    EXPECT_NE(first, second);
    EXPECT_TRUE((first == QColor(255, 0, 0) && second == back) || (second == QColor(255, 0, 0) && first == back));

    // A click on a chart stops the blinking and hides the warnings.
    window_->ChartClicked(1, Qt::LeftButton, {}, 100, 300);
    EXPECT_FALSE(window_->Blink().Timer().isActive());
    EXPECT_FALSE(warning->isVisible());
}

TEST_F(WindowTest, AFailedReloadIsTriedAgainAndTheCaptionKeepsTheTimeOfTheDataShown) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    // The table is gone just as the logger stamps an update.
    ASSERT_TRUE(
        db_.Exec("ALTER TABLE rhour RENAME TO rhour_away;"
                 "UPDATE rupdate SET date_time = '2026-03-10 13:45:00' WHERE datatype_site_id = 0;"));
    window_->Pager().Tick();
    EXPECT_EQ(window_->Pager().ReloadCount(), 1);
    EXPECT_NE(window_->Caption().find("updated at 01:05 PM ... reload failed: "), std::string::npos)
        << window_->Caption();
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 2.75);

    // Mended, with the stamp unchanged since: the next tick loads the new data.
    ASSERT_TRUE(
        db_.Exec("ALTER TABLE rhour_away RENAME TO rhour;"
                 "INSERT INTO rhour VALUES (101, '2026-03-10 13:30:00', 3.5);"));
    window_->Pager().Tick();
    EXPECT_EQ(window_->Pager().ReloadCount(), 2);
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 3.5);
    EXPECT_NE(window_->Caption().find("updated at 01:45 PM"), std::string::npos) << window_->Caption();
    EXPECT_EQ(window_->Caption().find("failed"), std::string::npos);

    // A reading without a value is named, and once it is mended the display goes on.
    ASSERT_TRUE(
        db_.Exec("INSERT INTO rhour VALUES (101, '2026-03-10 13:40:00', NULL);"
                 "UPDATE rupdate SET date_time = '2026-03-10 13:50:00' WHERE datatype_site_id = 0;"));
    window_->Pager().Tick();
    EXPECT_NE(window_->Caption().find("reload failed: Table rhour, series 101, row 2026-03-10 13:40:00: Invalid use "
                                      "of Null"),
              std::string::npos)
        << window_->Caption();
    ASSERT_TRUE(db_.Exec("UPDATE rhour SET value = 3.75 WHERE date_time = '2026-03-10 13:40:00';"));
    window_->Pager().Tick();
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 3.75);
}

TEST_F(WindowTest, TheDaysFrameReloadsOnlyOnAChange) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    DaysFrame* frame = window_->Days();
    window_->Pager().ShowDaysFrame(QPoint(20, 20));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Days()->value(), 5);
    EXPECT_EQ(frame->FutureDays()->value(), 2);
    EXPECT_EQ(frame->HistoryStartDate()->text(), "Feb-24-2026");  // today - 14 days
    QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(window_->Pager().ReloadCount(), 0);

    // Only the future days change: every page is fetched again for the new window.
    window_->Pager().ShowDaysFrame(QPoint(20, 20));
    frame->FutureDays()->setValue(0);
    window_->Pager().ConfirmDays();
    EXPECT_EQ(window_->Pager().ReloadCount(), 1);
    EXPECT_EQ(state_.window.end, DateSerial(2026, 3, 11));
    EXPECT_EQ(state_.window.start, DateSerial(2026, 3, 6));
    EXPECT_EQ(drawn_.back(), 1);

    window_->Pager().ShowDaysFrame(QPoint(20, 20));
    EXPECT_EQ(frame->Days()->value(), 5);
    EXPECT_EQ(frame->FutureDays()->value(), 0);
    window_->Pager().ConfirmDays();
    EXPECT_EQ(window_->Pager().ReloadCount(), 1);

    // A historical start reloads, and so does turning it off again.
    frame->HistoricalStart()->setChecked(true);
    frame->HistoryStartDate()->setText("Mar-01-2026");
    window_->Pager().ConfirmDays();
    EXPECT_EQ(window_->Pager().ReloadCount(), 2);
    EXPECT_EQ(state_.window.start, DateSerial(2026, 3, 1));
    frame->HistoricalStart()->setChecked(false);
    window_->Pager().ConfirmDays();
    EXPECT_EQ(window_->Pager().ReloadCount(), 3);
    window_->Pager().ConfirmDays();
    EXPECT_EQ(window_->Pager().ReloadCount(), 3);

    // A date that is not one: the message names it and the window stays as it was.
    frame->HistoricalStart()->setChecked(true);
    frame->HistoryStartDate()->setText("someday");
    window_->Pager().ConfirmDays();
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_.back().find("someday"), std::string::npos);
    EXPECT_EQ(state_.window.start, DateSerial(2026, 3, 6));
    EXPECT_FALSE(state_.historicalStart);
}

TEST_F(WindowTest, FloatingFramesAreDraggedByTheirBackground) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    AutoPagingFrame* frame = window_->AutoPaging();
    frame->ShowAt(QPoint(100, 100));
    ASSERT_EQ(frame->pos(), QPoint(100, 100));
    QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(45, 25), frame->mapToGlobal(QPointF(45, 25)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &move);
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(45, 25));
    EXPECT_EQ(frame->pos(), QPoint(140, 120));
}
