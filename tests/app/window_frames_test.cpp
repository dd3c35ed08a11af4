// The frames, menus and lists over the page keep the system's colours on a page of any
// colour.
#include "window_fixture.h"

#include <QLabel>

#include "app/auto_paging_frame.h"
#include "app/days_frame.h"
#include "app/menu_list.h"
#include "app/setup_frame.h"
#include "app/values_list.h"
#include "app/watch_levels_frame.h"
#include "platform/ui/chart_view.h"

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
