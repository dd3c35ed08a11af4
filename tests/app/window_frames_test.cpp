// The frames, menus, lists and message boxes over the page: they keep the system's
// colours on a page of any colour, lie inside a small window, close with Escape, and
// show their texts whole.
#include "window_fixture.h"

#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>

#include "app/auto_paging_frame.h"
#include "app/days_frame.h"
#include "app/menu_list.h"
#include "app/setup_frame.h"
#include "app/values_list.h"
#include "app/watch_levels_frame.h"
#include "devices/ui/chart_view.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

class FramesTest : public WindowTest {
protected:
    // Right-clicks `slot` low in its chart, then chooses `entry` from the graph menu.
    void Choose(int slot, const QString& entry) {
        window_->ChartClicked(slot, Qt::RightButton, {}, 300, 900);
        ASSERT_TRUE(window_->GraphMenu()->isVisible());
        window_->GraphMenu()->Choose(entry);
    }
    // All of `w` lies inside the window's client area.
    bool Inside(const QWidget* w) const { return window_->rect().contains(w->geometry()); }
};

void ExpectSystemColours(const QWidget* w) {
    QPalette system = QApplication::palette(w);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
                                     QPalette::Button, QPalette::ButtonText})
        EXPECT_EQ(w->palette().color(role), system.color(role)) << w->objectName().toStdString() << " role " << role;
}

}  // namespace

TEST_F(FramesTest, FramesMenusAndListsKeepTheSystemsColoursOnABlackPage) {
    WriteSetup(SetupText({PageLine(1, "Dark"), GraphLine(1, 101, 0), GraphLine(2, 102, 0)}));
    ASSERT_EQ(Open(), 0);
    // The page itself is black behind its graphs.
    QWidget* page = window_->findChild<QWidget*>("page");
    ASSERT_NE(page, nullptr);
    QImage backdrop(page->size(), QImage::Format_RGB32);
    backdrop.fill(Qt::white);
    page->render(&backdrop, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    EXPECT_EQ(backdrop.pixelColor(2, 2), QColor(Qt::black));

    Choose(0, "Setup");
    Choose(0, "Watch Levels");
    Choose(1, "Days");
    Choose(1, "Auto Paging");
    for (QWidget* frame : std::initializer_list<QWidget*>{window_->Setup(), window_->WatchLevels(), window_->Days(),
                                                          window_->AutoPaging()}) {
        ASSERT_TRUE(frame->isVisible()) << frame->objectName().toStdString();
        ExpectSystemColours(frame);
        for (QLabel* label : frame->findChildren<QLabel*>()) ExpectSystemColours(label);
    }
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    ExpectSystemColours(window_->GraphMenu());
    window_->ChartClicked(0, Qt::LeftButton, {}, 300, 100);
    ASSERT_TRUE(window_->ValuesList()->isVisible());
    ExpectSystemColours(window_->ValuesList());

    // What a page image shows of the setup frame: its caption is not black on black.
    QImage image = window_->CaptureClientArea();
    QRect caption = window_->Setup()->Caption()->geometry();
    caption.moveTopLeft(window_->Setup()->Caption()->mapTo(window_.get(), QPoint(0, 0)));
    // (Its text is on the left; the right end of the caption is background.)
    EXPECT_EQ(image.pixelColor(caption.right() - 2, caption.center().y()),
              QApplication::palette().color(QPalette::Window));
}

TEST_F(FramesTest, InASmallWindowMenusAndFramesLieInsideAndScroll) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->resize(400, 300);
    QTest::qWait(20);
    // Opened low on the graph: the whole menu is in the window, "Cancel" can be reached.
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 4000);
    MenuList* menu = window_->GraphMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_TRUE(Inside(menu)) << menu->geometry().top() << "+" << menu->height();
    QListWidgetItem* cancel = menu->item(menu->count() - 1);
    ASSERT_EQ(cancel->text(), "Cancel");
    menu->scrollToItem(cancel);
    EXPECT_TRUE(menu->viewport()->rect().contains(menu->visualItemRect(cancel)));
    // A list that scrolls keeps its texts clear of its scroll bar.
    for (int row = 0; row < menu->count(); ++row)
        EXPECT_LE(menu->fontMetrics().horizontalAdvance(menu->item(row)->text()),
                  menu->visualItemRect(menu->item(row)).width())
            << menu->item(row)->text().toStdString();

    // At the right edge the menu moves left.
    menu->ShowAt(QPoint(390, 10));
    EXPECT_TRUE(Inside(menu));

    // The setup frame, taller than the window, lies inside it and scrolls.
    window_->GraphMenu()->Choose("Setup");
    SetupFrame* setup = window_->Setup();
    ASSERT_TRUE(setup->isVisible());
    EXPECT_TRUE(Inside(setup)) << setup->geometry().width() << "x" << setup->geometry().height();
    auto* scroll = setup->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    scroll->ensureWidgetVisible(setup->SaveButton());
    QPoint save = setup->SaveButton()->mapTo(setup, QPoint(0, 0));
    EXPECT_TRUE(setup->rect().contains(QRect(save, setup->SaveButton()->size())));

    // Opened by the right edge, a frame moves left into the window.
    window_->resize(800, 600);
    QTest::qWait(20);
    window_->WatchLevels()->ShowAt(QPoint(790, 590));
    EXPECT_TRUE(Inside(window_->WatchLevels()));
}

TEST_F(FramesTest, EscapeClosesMenusAndFramesAsTheirCancelWould) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    ASSERT_TRUE(window_->GraphMenu()->isVisible());
    QTest::keyClick(window_->GraphMenu(), Qt::Key_Escape);
    EXPECT_FALSE(window_->GraphMenu()->isVisible());

    Choose(0, "Colors/Fonts");
    ASSERT_TRUE(window_->ColorsMenu()->isVisible());
    QTest::keyClick(window_->ColorsMenu(), Qt::Key_Escape);
    EXPECT_FALSE(window_->ColorsMenu()->isVisible());
    EXPECT_TRUE(state_.setupdirty) << "the colours menu's Cancel marks the setup changed";

    window_->WebMenu()->ShowAt(QPoint(10, 10));
    ASSERT_TRUE(window_->WebMenu()->isVisible());
    QTest::keyClick(window_->WebMenu(), Qt::Key_Escape);
    EXPECT_FALSE(window_->WebMenu()->isVisible());

    // A frame closes from whichever of its boxes has the keyboard, and changes nothing.
    Choose(0, "Setup");
    SetupFrame* setup = window_->Setup();
    ASSERT_TRUE(setup->isVisible());
    setup->Dsid()->setText("102");
    QTest::keyClick(setup->Dsid(), Qt::Key_Escape);
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(state_.pages.Graph(1, 0).dsid, 101);

    Choose(0, "Watch Levels");
    WatchLevelsFrame* levels = window_->WatchLevels();
    ASSERT_TRUE(levels->isVisible());
    levels->Level(0)->setText("9");
    QTest::keyClick(levels->Level(0), Qt::Key_Escape);
    EXPECT_FALSE(levels->isVisible());
    EXPECT_EQ(state_.pages.Graph(1, 0).highwatch, 0);

    Choose(0, "Days");
    ASSERT_TRUE(window_->Days()->isVisible());
    QTest::keyClick(window_->Days(), Qt::Key_Escape);
    EXPECT_FALSE(window_->Days()->isVisible());
}

TEST_F(FramesTest, AMenuOpenedAgainHasNoEntryHighlighted) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    MenuList* menu = window_->GraphMenu();
    // The user clicks "Colors/Fonts", then leaves the colours menu.
    QListWidgetItem* colours = menu->findItems("Colors/Fonts", Qt::MatchExactly).value(0);
    ASSERT_NE(colours, nullptr);
    QTest::mouseClick(menu->viewport(), Qt::LeftButton, {}, menu->visualItemRect(colours).center());
    ASSERT_TRUE(window_->ColorsMenu()->isVisible());
    QTest::keyClick(window_->ColorsMenu(), Qt::Key_Escape);
    window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_FALSE(menu->currentIndex().isValid());
    EXPECT_TRUE(menu->selectedItems().isEmpty());
}

TEST_F(FramesTest, AMessageBoxIsWideEnoughForItsTitle) {
    WriteFourPages();
    state_.autostartseconds = 0;
    WindowOptions options;
    options.fixedNow = kNow;
    window_ = std::make_unique<MainWindow>(state_, options);
    ASSERT_EQ(window_->Open(), 0);
    int width = 0, titleRoom = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        width = box->width();
        // The title, and about 100 pixels for the title bar's icon and its close,
        // minimise and maximise buttons.
        QFont bold = box->font();
        bold.setBold(true);
        titleRoom = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 100;
        box->accept();
    });
    window_->Message("Done.");
    EXPECT_GT(titleRoom, 0);
    EXPECT_GE(width, titleRoom);
}
