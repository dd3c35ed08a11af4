// The window as the PageView of drawing: what happens around drawing a page, and what
// drawing left per graph for the layout pass.
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>

#include "app/main_window.h"
#include "app/widget_text.h"
#include "render/render_state.h"
#include "render/showgraphs.h"

namespace tidemark {

void MainWindow::DrawCurrentPage() {
    showgraphs(state_, *render_, *this, *this);
    Q_EMIT PageDrawn(state_.currentpage);
}

void MainWindow::BeginDrawing() {
    blinkTimer_.stop();
    busy_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    page_->setUpdatesEnabled(false);
}

void MainWindow::SetBackgroundColor(int32_t color) {
    background_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(color));
    setPalette(p);
}

void MainWindow::HideBrowsers() {
    // Web screens have no browsers yet: their slots stay empty.
}

void MainWindow::HideSlotBoxes(int slot) {
    if (slot < 0 || slot >= kGraphsPerPage) return;
    warningBoxes_[static_cast<size_t>(slot)]->hide();
    valueBoxes_[static_cast<size_t>(slot)]->hide();
}

void MainWindow::StartWarningBlink() { blinkTimer_.start(); }

void MainWindow::LayoutPage() { Form_Resize(); }

void MainWindow::EndDrawing() {
    QApplication::restoreOverrideCursor();
    busy_ = false;
    page_->setUpdatesEnabled(true);
    page_->update();
}

void MainWindow::FocusMainTextBox() {
    if (keyCapture_->isVisible()) keyCapture_->setFocus();
}

void MainWindow::StopPagingTimer() {
    pagingHeld_ = pagingTimer_.isActive();
    pagingTimer_.stop();
}

void MainWindow::RestartPagingTimer() {
    // Only a timer that ran before the image was taken runs on; a run that ended in the
    // meantime stays ended.
    if (pagingHeld_ && !closed_) pagingTimer_.start();
    pagingHeld_ = false;
}

void MainWindow::WaitMilliseconds(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void MainWindow::SavePageImage() { savePageImage(); }

std::array<DrawnSlot, kGraphsPerPage> MainWindow::DrawnSlots() const {
    std::array<DrawnSlot, kGraphsPerPage> slots{};
    for (int s = 0; s < kGraphsPerPage; ++s) {
        DrawnSlot& d = slots[static_cast<size_t>(s)];
        d.title = render_->titles[static_cast<size_t>(s)];
        d.currentValue = render_->currentValues[static_cast<size_t>(s)];
        d.warning = render_->warningFlags[static_cast<size_t>(s)] != 0;
        if (const YScale* scale = render_->FindScale(state_.currentpage, s)) {
            d.yMin = scale->min;
            d.yMax = scale->max;
            d.yDivisions = scale->major;
        }
    }
    return slots;
}

bool MainWindow::WarningFlag(int slot) const { return render_->warningFlags.at(static_cast<size_t>(slot)) != 0; }

void MainWindow::ClearCurrentValues() { render_->currentValues.fill(kMissing); }

}  // namespace tidemark
