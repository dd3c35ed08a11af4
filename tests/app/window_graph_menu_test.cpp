// The graph menu, the colours and fonts menu, the watch-level frame and the mouse readout
// on the real window over a program folder.
#include "window_fixture.h"

#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include "app/menu_list.h"
#include "app/values_list.h"
#include "app/warning_blink.h"
#include "app/watch_levels_frame.h"
#include "devices/ui/chart_view.h"
#include "render/chart_layout.h"
#include "render/render_state.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

// Answers the next modal dialog of type D with `answer`, then accepts it.
template <typename D>
void AnswerDialog(std::function<void(D&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no dialog was shown";
            return;
        }
        answer(*dialog);
        dialog->accept();
    });
}

// The pointer over `view` at `at`, as the window system reports it. (QTest::mouseMove
// goes through the window and drops moves in a process where no press came first.)
void Hover(QWidget* view, const QPoint& at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
}

class GraphMenuTest : public WindowTest {
protected:
    // Right-clicks `slot` low in its chart, then chooses `entry` from the menu.
    void Choose(int slot, const QString& entry) {
        window_->ChartClicked(slot, Qt::RightButton, {}, 300, 900);
        ASSERT_TRUE(window_->GraphMenu()->isVisible());
        window_->GraphMenu()->Choose(entry);
    }
    ChartSurface& Surface(int slot) { return window_->Chart(slot)->Surface(); }
    GraphDef& Def(int slot) { return state_.pages.Graph(state_.currentpage, slot); }
};

}  // namespace

TEST_F(GraphMenuTest, MarkerModesCycleOnTheChartAtOnceWithoutARedraw) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    size_t draws = drawn_.size();
    const ChartSeries& main = Surface(0).Series(1);
    const ChartSeries& daily = Surface(0).Series(3);

    Choose(0, "HourMarkers");
    EXPECT_EQ(Def(0).hrmarker, 1);
    EXPECT_TRUE(main.showLine && main.marker.visible);
    Choose(0, "HourMarkers");
    EXPECT_EQ(Def(0).hrmarker, 2);
    EXPECT_TRUE(!main.showLine && main.marker.visible);
    Choose(0, "HourMarkers");
    EXPECT_EQ(Def(0).hrmarker, 0);
    EXPECT_TRUE(main.showLine && !main.marker.visible);

    for (int expected : {1, 2, 3}) {
        Choose(0, "DayMarkers");
        EXPECT_EQ(Def(0).daymarker, expected);
    }
    EXPECT_FALSE(daily.showLine || daily.marker.visible);  // 3 hides the daily series
    Choose(0, "DayMarkers");
    EXPECT_EQ(Def(0).daymarker, 0);
    EXPECT_TRUE(daily.showLine && !daily.marker.visible);

    EXPECT_EQ(drawn_.size(), draws);
    EXPECT_TRUE(state_.setupdirty);
}

namespace {

// What lies at the centre of `box` on the page: the box itself while it is on top.
QWidget* OnTopAt(const QLabel* box) { return box->parentWidget()->childAt(box->geometry().center()); }

}  // namespace

TEST_F(GraphMenuTest, RestylesWithoutARedrawKeepTheBoxesOverTheGraph) {
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    QLabel* value = window_->ValueBox(0);
    ASSERT_TRUE(value->isVisible());
    ASSERT_EQ(OnTopAt(value), value);
    size_t draws = drawn_.size();
    for (const char* entry : {"Log Yaxis", "Normal Yaxis", "HourMarkers", "DayMarkers"}) {
        Choose(0, entry);
        EXPECT_TRUE(value->isVisible()) << entry;
        EXPECT_EQ(OnTopAt(value), value) << entry;
    }
    Choose(0, "Colors/Fonts");
    AnswerDialog<QColorDialog>([](QColorDialog& d) { d.setCurrentColor(QColor(0, 0, 0)); });
    window_->ColorsMenu()->Choose("BackColor");
    EXPECT_EQ(OnTopAt(value), value);
    EXPECT_EQ(drawn_.size(), draws) << "these commands restyle the graph without drawing the page";

    // The compass letters of a direction graph as well.
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 3);
    QLabel* north = window_->CompassBox(0);
    ASSERT_TRUE(north->isVisible());
    Choose(0, "Log Yaxis");
    EXPECT_EQ(OnTopAt(north), north);
    EXPECT_EQ(OnTopAt(window_->ValueBox(0)), window_->ValueBox(0));
}

TEST_F(GraphMenuTest, AGraphBelowKeepsItsTitleStripInFrontOfTheGraphAbove) {
    WriteSetup(SetupText({PageLine(1, "Five"), GraphLine(1, 101), GraphLine(2, 102), GraphLine(3, 101),
                          GraphLine(4, 102), GraphLine(5, 101)}));
    ASSERT_EQ(Open(), 0);
    QWidget* page = window_->Chart(3)->parentWidget();
    // Graph 4 lies below graph 1, whose lower margin overlaps graph 4's title strip.
    QPoint strip = window_->Chart(3)->geometry().topLeft() + QPoint(20, 3);
    ASSERT_TRUE(window_->Chart(0)->geometry().contains(strip));
    ASSERT_EQ(page->childAt(strip), window_->Chart(3));
    Choose(0, "Log Yaxis");
    EXPECT_EQ(page->childAt(strip), window_->Chart(3));
    Choose(0, "Enlarge");
    EXPECT_EQ(page->childAt(strip), window_->Chart(0));
    Choose(0, "Shrink");
    EXPECT_EQ(page->childAt(strip), window_->Chart(3));
}

TEST_F(GraphMenuTest, EnlargeShowsOneGraphOverThePageAndShrinkLaysThePageOutAgain) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    const int pageHeight = Surface(1).Height();
    Choose(1, "Enlarge");
    EXPECT_FALSE(state_.setupdirty);
    EXPECT_EQ(window_->GraphMenu()->EntryText(0), "Shrink");
    EXPECT_FALSE(window_->Chart(0)->isVisible());
    ASSERT_TRUE(window_->Chart(1)->isVisible());
    const ChartSurface& chart = Surface(1);
    int clientWidth = window_->width() * 15, clientHeight = window_->height() * 15;
    EXPECT_EQ(chart.Left(), 0);
    EXPECT_EQ(chart.Top(), -50);
    EXPECT_EQ(chart.Width(), clientWidth);
    EXPECT_EQ(chart.Height(), clientHeight + 50);
    EXPECT_EQ(chart.PlotRect().minX, 800);
    EXPECT_EQ(chart.PlotRect().maxX, clientWidth - 400);
    EXPECT_DOUBLE_EQ(chart.PlotRect().minY, 0.125 * (clientHeight + 50));
    EXPECT_EQ(chart.Title().font.size, 10 + 4);

    // Enlarging again changes nothing; the entry now shrinks.
    window_->Commands().Run("Enlarge", 0);
    EXPECT_FALSE(window_->Chart(0)->isVisible());
    Choose(1, "Shrink");
    EXPECT_EQ(window_->GraphMenu()->EntryText(0), "Enlarge");
    EXPECT_TRUE(window_->Chart(0)->isVisible());
    EXPECT_EQ(Surface(1).Height(), pageHeight);
    EXPECT_EQ(Surface(1).Title().font.size, 10);
}

TEST_F(GraphMenuTest, DisplayTogglesGaugeSwitchAndAxisCommandsChangeTheGraph) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    Choose(0, "Cumulative");
    EXPECT_EQ(Def(0).rankcum, 2);
    Choose(0, "Rankings");  // from a special display back to plain, not to ranks
    EXPECT_EQ(Def(0).rankcum, 0);
    Choose(0, "Rankings");
    EXPECT_EQ(Def(0).rankcum, -1);

    Choose(0, "Gage Off/On");
    EXPECT_EQ(Def(0).stationname, "OFF Creek");
    EXPECT_EQ(Def(0).back2color, 65535);
    EXPECT_EQ(Surface(0).PlotWall().color, 65535);  // drawn again
    Choose(0, "Gage Off/On");
    EXPECT_EQ(Def(0).stationname, "Creek");
    EXPECT_EQ(Def(0).back2color, Def(0).backcolor);

    Choose(0, "Log Yaxis");
    EXPECT_EQ(window_->GraphMenu()->EntryText(6), "Normal Yaxis");
    EXPECT_EQ(Def(0).logyscale, -1);
    EXPECT_EQ(Surface(0).YAxis().scaleType, ScaleType::Logarithmic);
    // The entry keeps its text for the next graph, and runs what it says.
    Choose(1, "Normal Yaxis");
    EXPECT_EQ(window_->GraphMenu()->EntryText(6), "Log Yaxis");
    EXPECT_EQ(Def(1).logyscale, 0);
    const YScale* stored = window_->Render().FindScale(1, 1);
    ASSERT_NE(stored, nullptr);
    EXPECT_FALSE(Surface(1).YAxis().scale.automatic);  // a range from 0 up is set by hand
    EXPECT_EQ(Surface(1).YAxis().scale.minimum, stored->min);
    EXPECT_EQ(Surface(1).YAxis().scale.maximum, stored->max);

    ASSERT_EQ(state_.pages.Page(1).yaxislabels, -1);
    EXPECT_TRUE(Surface(0).YAxis().title.visible);
    Choose(0, "Yaxis Labels");
    EXPECT_EQ(state_.pages.Page(1).yaxislabels, 0);
    EXPECT_FALSE(Surface(0).YAxis().title.visible);
}

TEST_F(GraphMenuTest, UpdateThisRereadsTheGraphAndNamesAFaultOfTheFetch) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(
        db_.Exec("UPDATE rhour SET value = 3.5 WHERE date_time = '2026-03-10 13:00:00' AND "
                 "datatype_site_id = 101"));
    size_t draws = drawn_.size();
    Choose(0, "Update This");
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 3.5);
    EXPECT_EQ(drawn_.size(), draws + 1);
    EXPECT_TRUE(messages_.empty());

    ASSERT_TRUE(db_.Exec("DROP TABLE rhour"));
    Choose(0, "Update This");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].rfind("Sub Getvalues1: ", 0), 0u) << messages_[0];
}

TEST_F(GraphMenuTest, WatchLevelsFrameTakesLeadingNumbersAndRedrawsWithTheNewLevels) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    Choose(0, "Watch Levels");
    WatchLevelsFrame* frame = window_->WatchLevels();
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Level(0)->text(), "0");
    EXPECT_TRUE(state_.setupdirty);

    frame->Level(0)->setText("2.6 ft");
    frame->Level(1)->setText("low");
    frame->Level(2)->setText("2.6");
    size_t draws = drawn_.size();
    QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(Def(0).highwatch, 2.6);
    EXPECT_EQ(Def(0).lowwatch, 0);
    EXPECT_EQ(Def(0).watchcount, 3);
    EXPECT_EQ(drawn_.size(), draws + 1);
    EXPECT_NE(window_->Render().warningFlags[0], 0);  // 2.75 is above the new level
    EXPECT_TRUE(window_->Blink().Running());

    // A level no reading can reach is refused and the levels stay.
    Choose(0, "Watch Levels");
    frame->Level(0)->setText("1e308");
    QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    EXPECT_EQ(Def(0).highwatch, 2.6);
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_.back().find("Watch levels must lie between"), std::string::npos);
}

TEST_F(GraphMenuTest, ColoursFollowTheContrastRuleAndCopyColorsSkipsWebScreensAndEmptySlots) {
    WriteSetup(SetupText({PageLine(1, "Mixed"), GraphLine(1, 101, kBackA), GraphLine(2, -1, kBackB),
                          GraphLine(4, 102, kBackC), PageLine(2, "Other"), GraphLine(1, 102, kBackA)}));
    ASSERT_EQ(Open(), 0);
    const GraphDef webBefore = Def(1), emptyBefore = Def(2);

    Choose(0, "Colors/Fonts");
    ASSERT_TRUE(window_->ColorsMenu()->isVisible());
    AnswerDialog<QColorDialog>([](QColorDialog& d) { d.setCurrentColor(QColor(0, 0, 0)); });
    window_->ColorsMenu()->Choose("BackColor");
    EXPECT_EQ(Def(0).backcolor, 0);
    EXPECT_EQ(Surface(0).Backdrop().color, 0);
    EXPECT_EQ(Surface(0).Title().font.color, 0xFFFFFF);
    EXPECT_EQ(Surface(0).XAxis().labelFont.color, 0xFFFFFF);

    AnswerDialog<QColorDialog>([](QColorDialog& d) { d.setCurrentColor(QColor(255, 255, 200)); });
    window_->ColorsMenu()->Choose("BackColor");
    EXPECT_EQ(Def(0).backcolor, RGB(255, 255, 200));
    EXPECT_EQ(Surface(0).Title().font.color, 0);
    EXPECT_EQ(Surface(0).YAxis().pen.color, 0);

    AnswerDialog<QColorDialog>([](QColorDialog& d) { d.setCurrentColor(QColor(10, 20, 30)); });
    window_->ColorsMenu()->Choose("Hourly Color");
    EXPECT_EQ(Surface(0).Series(1).pen.color, RGB(10, 20, 30));

    // A cancelled dialog changes nothing.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    window_->ColorsMenu()->Choose("Daily Color");
    EXPECT_EQ(Def(0).daycolor, 65280);

    window_->ColorsMenu()->Choose("Copy Colors");
    EXPECT_EQ(Def(3).backcolor, RGB(255, 255, 200));
    EXPECT_EQ(Def(3).hrcolor, RGB(10, 20, 30));
    EXPECT_EQ(Surface(3).Backdrop().color, RGB(255, 255, 200));
    EXPECT_EQ(Def(1), webBefore);
    EXPECT_EQ(Def(2), emptyBefore);

    // Font names hold for every page, sizes for this page only.
    AnswerDialog<QFontDialog>([](QFontDialog& d) {
        QFont font("Liberation Serif");
        font.setPointSize(13);
        d.setCurrentFont(font);
    });
    window_->ColorsMenu()->Choose("Fonts Title");
    EXPECT_EQ(state_.settings.titlefontname, "Liberation Serif");
    EXPECT_EQ(state_.pages.Page(1).titlefontsize, 13);
    EXPECT_EQ(state_.pages.Page(2).titlefontsize, 10);
    EXPECT_EQ(Surface(0).Title().font.size, 13);
}

TEST_F(GraphMenuTest, TitleStripClicksOpenTheValuesListAndCtrlInsertCopiesTheSelection) {
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    ValuesListBox* list = window_->ValuesList();
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 699);
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(state_.currentpage, 1);
    EXPECT_FALSE(window_->ValueBox(0)->isVisible());
    const SlotSeries& main = state_.store.At(1, 0);
    ASSERT_GE(list->count(), 2);
    // The list ends with the point at the graph's current time, selected.
    EXPECT_EQ(list->item(list->count() - 1)->text(), "10 13:00 2.75");
    EXPECT_EQ(list->item(list->count() - 2)->text(), "10 12:00 2.5");
    EXPECT_EQ(main.currentTime, MakeDayNumber(2026, 3, 10, 13, 0, 0));
    int longest = 0;
    for (int i = 0; i < list->count(); ++i) longest = std::max<int>(longest, list->item(i)->text().size());
    EXPECT_GE(list->width() + 1, (80 * longest + 380) / 15.0);
    EXPECT_EQ(list->geometry().top(), std::lround((window_->Chart(0)->Surface().Top() + 100) / 15.0));

    QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "10 13:00 2.75\r\n");
    list->item(list->count() - 2)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "10 12:00 2.5\r\n10 13:00 2.75\r\n");

    // A second title-strip click closes it, as a double click does.
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    EXPECT_FALSE(list->isVisible());
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    ASSERT_TRUE(list->isVisible());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_FALSE(list->isVisible());
}

TEST_F(GraphMenuTest, TheValuesListShowsItsLongestLinesWhole) {
    // Values with many digits: the character-count rule leaves them cut.
    ASSERT_TRUE(
        db_.Exec("INSERT INTO rhour VALUES (102, '2026-03-10 12:00:00', 1234567.125);"
                 "INSERT INTO rhour VALUES (102, '2026-03-10 11:00:00', 14.8);"));
    WriteSetup(SetupText({PageLine(1, "River"), GraphLine(1, 102, kBackA)}));
    ASSERT_EQ(Open(), 0);
    ValuesListBox* list = window_->ValuesList();
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->item(list->count() - 2)->text(), "10 12:00 1234567.125");
    // Room for the text even once the list needs its scroll bar.
    int room = list->viewport()->width() -
               (list->verticalScrollBar()->isVisible() ? 0 : list->verticalScrollBar()->sizeHint().width());
    for (int i = 0; i < list->count(); ++i)
        EXPECT_LE(list->fontMetrics().horizontalAdvance(list->item(i)->text()), room)
            << list->item(i)->text().toStdString();
}

TEST_F(GraphMenuTest, TheTooltipNamesThePointUnderThePointerExceptOnALogAxis) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    ChartView* view = window_->Chart(0);
    const ChartSurface& chart = view->Surface();
    ChartLayout layout = LayoutChart(chart, chart.Width(), chart.Height());
    double t = MakeDayNumber(2026, 3, 10, 12, 0, 0);
    // The lowest point, on the plot's bottom edge.
    QPoint at(static_cast<int>(std::lround(layout.x.Map(t) / 15)), static_cast<int>(layout.y.Map(2.5) / 15));
    Hover(view, at);
    EXPECT_EQ(view->toolTip(), "Mar-10 12:00, 2.5");
    Hover(view, QPoint(5, view->height() - 5));  // the chart's corner
    EXPECT_EQ(view->toolTip(), "");
    Hover(view, at);
    EXPECT_EQ(view->toolTip(), "Mar-10 12:00, 2.5");
    Choose(0, "Log Yaxis");
    Hover(view, at + QPoint(1, 0));
    EXPECT_EQ(view->toolTip(), "");
}

TEST_F(GraphMenuTest, LowerGraphsOpenTheMenuAtTheirTopEdge) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 4);  // three graphs: slot 2 lies in the lower part
    MenuList* menu = window_->GraphMenu();
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    EXPECT_EQ(menu->pos(),
              QPoint(std::lround((300 + Surface(0).Left()) / 15.0), std::lround((900 + Surface(0).Top()) / 15.0)));
    window_->ChartClicked(2, Qt::RightButton, {}, 300, 2000);
    double y = std::min(Surface(2).Height() - menu->height() * 15.0 - 600, 0.0);
    EXPECT_EQ(menu->pos().y(), static_cast<int>(std::lround((y + Surface(2).Top()) / 15)));
}

TEST_F(GraphMenuTest, TheValueBoxIsDroppedCentredWhereItIsReleasedOnItsGraph) {
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    QLabel* box = window_->ValueBox(0);
    ASSERT_TRUE(box->isVisible());
    QRect chart = window_->Chart(0)->geometry();
    QPoint target = chart.center() + QPoint(30, 20);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(box, box->mapFromParent(target));
    QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFromParent(target));
    QPoint offCentre = box->geometry().center() - target;
    EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();
    EXPECT_TRUE(box->isVisible());

    // Off its graph it goes back.
    QPoint before = box->pos();
    QPoint outside(chart.right() + 40, chart.top() + 5);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(box, box->mapFromParent(outside));
    QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFromParent(outside));
    EXPECT_EQ(box->pos(), before);
}

// The big current value the values list covers is shown again however the list closes,
// and an enlarged graph shows its own, over its plot.
TEST_F(GraphMenuTest, TheBigValueComesBackWhenTheListClosesAndOnAnEnlargedGraph) {
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    ValuesListBox* list = window_->ValuesList();
    QLabel* box = window_->ValueBox(0);
    ASSERT_TRUE(box->isVisible());
    const QRect place = box->geometry();
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    ASSERT_TRUE(list->isVisible());
    EXPECT_FALSE(box->isVisible());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_FALSE(list->isVisible());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->geometry(), place);
    // Closed by a second click in the title strip, or by opening the graph menu.
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    EXPECT_TRUE(box->isVisible());
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    EXPECT_FALSE(list->isVisible());
    EXPECT_TRUE(box->isVisible());
    window_->GraphMenu()->hide();

    Choose(1, "Enlarge");
    QLabel* enlarged = window_->ValueBox(1);
    EXPECT_FALSE(box->isVisible());
    ASSERT_TRUE(enlarged->isVisible());
    EXPECT_EQ(enlarged->text(), "7.12ft");
    const QRect chart = window_->Chart(1)->geometry();
    EXPECT_TRUE(chart.contains(enlarged->geometry())) << enlarged->geometry().x() << "," << enlarged->geometry().y();
    // In front of the enlarged chart, where the user sees it.
    EXPECT_EQ(OnTopAt(enlarged), enlarged);
    Choose(1, "Shrink");
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(enlarged->isVisible());
}

// The entry under the pointer is marked, as in the desktop's menus.
TEST_F(GraphMenuTest, TheMenuMarksTheEntryUnderThePointer) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    MenuList* menu = window_->GraphMenu();
    ASSERT_TRUE(menu->isVisible());
    for (int row : {3, 5}) {
        Hover(menu->viewport(), menu->visualItemRect(menu->item(row)).center());
        EXPECT_EQ(menu->currentRow(), row);
        EXPECT_TRUE(menu->item(row)->isSelected());
    }
}
