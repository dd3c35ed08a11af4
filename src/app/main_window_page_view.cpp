// The window as the PageScreen (what happens around drawing a page, turning it, and what
// drawing left per graph for the layout pass), and what paging and page images need of
// it beyond that.
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <utility>

#include "app/auto_paging_frame.h"
#include "app/console_host.h"
#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/page_backdrop.h"
#include "app/scope_guard.h"
#include "app/service_notifier.h"
#include "app/warning_blink.h"
#include "devices/ui/chart_view.h"
#include "render/render_state.h"
#include "render/showgraphs.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

void MainWindow::DrawCurrentPage() {
    if (drawing_) {
        // Asked for from the events a draw lets run (a turn, a round begun, a reload): a
        // draw inside the draw would leave the window half one page and half the other,
        // and the outer one would take its image of the wrong page. It comes after.
        redrawPending_ = true;
        return;
    }
    do {
        redrawPending_ = false;
        ScopedValue<bool> drawing(drawing_, true);
        const bool roundRunning = state_.imageCycleMarker > 0;
        // Before drawing: the page's image is written at the end of it.
        service_->PageShown(state_.currentpage, state_.lastUpdate);
        showgraphs(state_, *render_, *this, *this);
        // Drawing the round's first page again ended the round.
        if (roundRunning && state_.imageCycleMarker == 0) images_->FinishRound(autoFrame_->PageSeconds());
        FollowPageInSetupFrame();
        Q_EMIT PageDrawn(state_.currentpage);
    } while (redrawPending_ && !closed_);
}

void MainWindow::BeginDrawing() {
    blink_->Stop();
    busy_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    page_->setUpdatesEnabled(false);
}

void MainWindow::SetBackgroundColor(int32_t color) { page_->SetColor(ToQColor(color)); }

void MainWindow::HideBrowsers() { webScreens_->HideBrowsers(); }

void MainWindow::HideSlotBoxes(int slot) {
    if (slot < 0 || slot >= kGraphsPerPage) return;
    warningBoxes_[static_cast<size_t>(slot)]->hide();
    valueBoxes_[static_cast<size_t>(slot)]->hide();
}

void MainWindow::StartWarningBlink() { blink_->Start(); }

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

void MainWindow::NextPage() { paging_->NextPage(); }

void MainWindow::PreviousPage() { paging_->PreviousPage(); }

void MainWindow::StopPagingTimer() { paging_->Hold(); }

void MainWindow::RestartPagingTimer() { paging_->Resume(); }

void MainWindow::WaitMilliseconds(int ms) {
    // Offscreen, grab() paints the page itself: a one-shot render has nothing to wait for.
    if (options_.oneShot) return Yield();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void MainWindow::SavePageImage() { images_->Save(); }

void MainWindow::PagingAdapter::PrepareForPageTurn() {
    w_.graphMenu_->hide();
    w_.webMenu_->hide();
    if (w_.webScreens_->Enlarged()) {
        // An enlarged web screen goes back into the page before paging on.
        w_.Form_Resize();
        w_.Yield();
        w_.webScreens_->RestoreActiveScroll();
        w_.Yield();
    }
    w_.graphCommands_->EndEnlarged();
    w_.webScreens_->EndEnlarged();
}

void MainWindow::PagingAdapter::ShowDataRefresh(bool shown) {
    if (shown) w_.dataRefresh_->raise();
    w_.dataRefresh_->setVisible(shown);
}

QImage MainWindow::CaptureClientArea() {
    Yield();
    setFocus();
    WaitMilliseconds(100);
    Yield();
    // A browser shows what it loaded some frames after the load ends.
    webScreens_->WaitUntilPainted();
    ChartView::CaptureAhead ahead = ChartView::PaintAheadOfCapture(charts_);
    QImage captured = PaintIntoPageImage();
    ChartView::EndCapture(charts_);
    return captured;
}

// The window painted as grab() paints it, into an image of the written format: one of
// the kept images when no earlier capture still holds it.
QImage MainWindow::PaintIntoPageImage() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    auto target = std::find_if(pageImages_.begin(), pageImages_.end(),
                               [&](const QImage& kept) { return kept.size() == pixels && kept.isDetached(); });
    if (target == pageImages_.end()) {
        // Both are still being written (or the window has a new size): the older goes to
        // whoever holds it.
        pageImages_[1] = std::exchange(pageImages_[0], QImage(pixels, QImage::Format_RGB32));
        target = pageImages_.begin();
    }
    target->setDevicePixelRatio(ratio);
    // A window that paints its own opaque backdrop covers every pixel; behind any other,
    // what no widget paints reads as grab()'s transparent backdrop written without alpha.
    const bool coversItself = palette().window().isOpaque() && !testAttribute(Qt::WA_TranslucentBackground) &&
                              !testAttribute(Qt::WA_NoSystemBackground);
    if (!coversItself) target->fill(Qt::black);
    render(target, QPoint(), QRegion(rect()), DrawWindowBackground | DrawChildren | IgnoreMask);
    return *target;
}

void MainWindow::PageImageAdapter::ImageSaved(const std::string& path) {
    Q_EMIT w_.ImageWritten(QString::fromLocal8Bit(path.c_str()));
}

void MainWindow::PageImageAdapter::ImagePublished(const std::string& path, bool arrived) {
    const ImageTally& tally = w_.images_->CycleTally();
    ServiceOutcome outcome{w_.Now(), arrived ? std::string() : "not written or not sent"};
    w_.service_->Published(std::filesystem::path(path).filename().string(), outcome, tally.images, tally.missed);
}

std::array<DrawnSlot, kGraphsPerPage> MainWindow::DrawnSlots() const {
    std::array<DrawnSlot, kGraphsPerPage> slots{};
    for (int s = 0; s < kGraphsPerPage; ++s) {
        DrawnSlot& d = slots[static_cast<size_t>(s)];
        d.title = render_->titles[static_cast<size_t>(s)];
        d.currentValue = render_->currentValues[static_cast<size_t>(s)];
        d.warning = render_->warningFlags[static_cast<size_t>(s)] != kWarningClear;
        if (const YScale* scale = render_->FindScale(state_.currentpage, s)) {
            d.yMin = scale->min;
            d.yMax = scale->max;
            d.yDivisions = scale->major;
        }
    }
    return slots;
}

void MainWindow::PaintWarning(int slot, bool on) {
    QLabel* box = warningBoxes_[static_cast<size_t>(slot)];
    QPalette p = box->palette();
    // Off: the text takes the box's own colour and disappears.
    p.setColor(QPalette::WindowText, on ? QColor(255, 0, 0) : p.color(QPalette::Window));
    box->setPalette(p);
}

bool MainWindow::WarningFlag(int slot) const {
    return render_->warningFlags.at(static_cast<size_t>(slot)) != kWarningClear;
}

void MainWindow::PagingAdapter::ClearCurrentValues() { w_.render_->currentValues.fill(kMissing); }

void MainWindow::PagingAdapter::Reloaded(const std::string& fault) { w_.service_->Reloaded({w_.Now(), fault}); }

void MainWindow::PagingAdapter::ReportUnseen(const std::string& text) {
    if (w_.NobodyToAnswer()) std::cerr << ConsoleHost::OneLine(text) << std::endl;
}

}  // namespace tidemark
