// Opening the window, the layout applied to the widgets, the menus, and closing.
#include "window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>

#include "app/menu_list.h"
#include "app/warning_blink.h"
#include "core/vbtext.h"
#include "devices/ui/chart_view.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

QColor Color(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QStringList Entries(const MenuList* menu) {
    QStringList out;
    for (int i = 0; i < menu->count(); ++i) out << menu->item(i)->text();
    return out;
}

}  // namespace

TEST_F(WindowTest, OpensWithPageOneDrawnUnderItsCaption) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(state_.currentpage, 1);
    EXPECT_EQ(drawn_, std::vector<int>{1});
    EXPECT_EQ(window_->Caption(), "Rivers 2026-Mar-10 updated at 01:05 PM");
    EXPECT_EQ(window_->windowTitle(), "Rivers 2026-Mar-10 updated at 01:05 PM");
    // The saved position of the setup: 800 x 600.
    EXPECT_EQ(window_->size(), QSize(800, 600));

    // Two graphs: one above the other across the whole width.
    ChartView* top = window_->Chart(0);
    ChartView* bottom = window_->Chart(1);
    ASSERT_TRUE(top->isVisible() && bottom->isVisible());
    EXPECT_FALSE(window_->Chart(2)->isVisible());
    EXPECT_EQ(top->width(), 800);
    EXPECT_EQ(bottom->width(), 800);
    EXPECT_LT(top->y(), 0);  // rows are pulled up into the charts' empty margin
    EXPECT_GT(bottom->y(), 200);
    EXPECT_EQ(top->Surface().Title().text.rfind("Creek", 0), 0u);

    // What the window shows: each graph's backdrop in its cell.
    QImage shot = window_->grab().toImage();
    EXPECT_EQ(shot.pixelColor(3, 3), Color(kBackA));
    EXPECT_EQ(shot.pixelColor(3, bottom->y() + 3), Color(kBackB));

    // A normal start runs the blink timer and pages only when the setup says so.
    EXPECT_TRUE(window_->Blink().Timer().isActive());
    EXPECT_FALSE(window_->Pager().Timer().isActive());
}

TEST_F(WindowTest, MenusHoldTheirItemsAndOfferThemAll) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(Entries(window_->GraphMenu()),
              QStringList({"Enlarge", "Update This", "HourMarkers", "DayMarkers", "Rankings", "Cumulative", "Log Yaxis",
                           "Yaxis Labels", "Colors/Fonts", "Days", "Watch Levels", "Auto Paging", "Setup", "Add Trace",
                           "Gage Off/On", "Print", "Back", "Cancel"}));
    EXPECT_EQ(Entries(window_->ColorsMenu()), QStringList({"BackColor", "Back2Color", "Hourly Color", "Daily Color",
                                                           "Copy Colors", "Fonts Title", "Fonts Axis", "Cancel"}));
    EXPECT_EQ(Entries(window_->WebMenu()), QStringList({"Enlarge", "Update This", "ScrollBars", "Auto Paging", "Setup",
                                                        "Open", "Print", "Back", "Next", "Cancel"}));
    // The output menu asks the print system for its printers when it opens, not before.
    EXPECT_TRUE(Entries(window_->OutputMenu()).isEmpty());
    window_->OpenGraphMenu(0, 500, 900);
    window_->GraphMenu()->Choose("Print");
    ASSERT_FALSE(Entries(window_->OutputMenu()).isEmpty());
    EXPECT_EQ(Entries(window_->OutputMenu()).first(), "Save as PNG File");
    EXPECT_EQ(Entries(window_->OutputMenu()).last(), "Cancel");
    window_->OutputMenu()->Choose("Cancel");

    MenuList* menu = window_->GraphMenu();
    for (const QString& entry : Entries(menu)) EXPECT_TRUE(menu->IsAvailable(entry)) << entry.toStdString();
    for (MenuList* other : {window_->ColorsMenu(), window_->WebMenu()})
        for (const QString& entry : Entries(other)) EXPECT_TRUE(other->IsAvailable(entry)) << entry.toStdString();
    // On a page without web screens the web-screen menu's document entries do nothing.
    window_->WebMenu()->ShowAt(QPoint(10, 10));
    window_->WebMenu()->Choose("ScrollBars");
    EXPECT_FALSE(window_->WebMenu()->isVisible());
    EXPECT_FALSE(state_.setupdirty);
    window_->OpenGraphMenu(0, 500, 900);
    ASSERT_TRUE(menu->isVisible());
    menu->Choose("Back");
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(state_.currentpage, 4);

    // The web-screen menu's "Next" pages forward.
    window_->WebMenu()->ShowAt(QPoint(10, 10));
    window_->WebMenu()->Choose("Next");
    EXPECT_EQ(state_.currentpage, 1);
}

TEST_F(WindowTest, LayoutPlacesValueBoxesAndCompassLabels) {
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    QLabel* value = window_->ValueBox(0);
    ASSERT_TRUE(value->isVisible());
    EXPECT_EQ(value->text(), "2.75ft");
    EXPECT_EQ(window_->ValueBox(1)->text(), "7.12ft");
    EXPECT_FALSE(window_->ValueBox(2)->isVisible());
    for (int i = 0; i < kCompassBoxes; ++i) EXPECT_FALSE(window_->CompassBox(i)->isVisible());

    // Page 3: a wind direction of 2 quarter turns reads South, with the compass letters.
    window_->Pager().NextPage();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 3);
    EXPECT_EQ(window_->ValueBox(0)->text(), "South");
    QStringList letters;
    for (int i = 0; i < 5; ++i) {
        QLabel* label = window_->CompassBox(i);
        EXPECT_TRUE(label->isVisible());
        letters << label->text();
        if (i > 0) {
            EXPECT_GT(label->y(), window_->CompassBox(i - 1)->y());
        }
    }
    EXPECT_EQ(letters, QStringList({"N", "W", "S", "E", "N"}));
    EXPECT_FALSE(window_->CompassBox(5)->isVisible());

    // A resize lays the page out again for the new size.
    int before = window_->Chart(0)->width();
    window_->resize(1000, 700);
    EXPECT_EQ(window_->Chart(0)->width(), 1000);
    EXPECT_NE(before, 1000);
}

TEST_F(WindowTest, ClosingAsksToSaveChangedSetup) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    QSignalSpy closed(window_.get(), &MainWindow::Closed);
    state_.setupdirty = true;
    answers_.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(window_->close());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Do you want to SAVE SETUP CHANGES????");
    EXPECT_TRUE(FileExists(db_.Folder() + "Tidemark_setup_backup.txt"));
    auto saved = ReadFileBytes(db_.Folder() + "Tidemark_setup.txt");
    ASSERT_TRUE(saved.has_value());
    EXPECT_NE(saved->find("Rivers"), std::string::npos);
    EXPECT_FALSE(state_.setupdirty);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).toInt(), 0);
}

TEST_F(WindowTest, ClosingWithoutSavingLeavesTheFileAlone) {
    WriteFourPages();
    auto before = ReadFileBytes(db_.Folder() + "Tidemark_setup.txt");
    ASSERT_EQ(Open(), 0);
    state_.setupdirty = true;
    answers_.push_back(MsgAnswer::No);
    EXPECT_TRUE(window_->close());
    EXPECT_TRUE(window_->HasClosed());
    EXPECT_FALSE(FileExists(db_.Folder() + "Tidemark_setup_backup.txt"));
    EXPECT_EQ(ReadFileBytes(db_.Folder() + "Tidemark_setup.txt"), before);
}

TEST_F(WindowTest, AFaultWhileLoadingEndsTheProgram) {
    // A marker mode that is not a number.
    WriteSetup(SetupText({PageLine(1, "Rivers"),
                          " 1 ; 101 ;Stage;Creek; x ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 "}));
    EXPECT_NE(Open(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("on page #1"), std::string::npos) << messages_[0];
    EXPECT_TRUE(window_->HasClosed());
}

TEST_F(WindowTest, AValueBeyondAnyReadingStillDrawsItsGraphWithTheAxisCutAndSaysSo) {
    ASSERT_TRUE(db_.Exec("INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 1e308);"));
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    const ChartSurface& chart = window_->Chart(0)->Surface();
    EXPECT_TRUE(window_->Chart(0)->isVisible());
    EXPECT_LE(chart.YAxis().scale.maximum, 2e12);
    EXPECT_NE(window_->Render().titles[0].find("axis cut at +-1E+12"), std::string::npos);
    EXPECT_EQ(window_->Render().titles[1].find("axis cut"), std::string::npos);
}
