// The window as the web screens see it: paging, the frames the web-screen menu opens,
// and the client area an enlarged web screen covers.
#include "app/auto_paging_frame.h"
#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/output_chooser.h"
#include "app/values_list.h"

namespace tidemark {

void MainWindow::WebScreensAdapter::HideGraphLists() {
    w_.valuesList_->hide();
    w_.graphMenu_->hide();
}

void MainWindow::WebScreensAdapter::StopPaging() { w_.paging_->Stop(); }

void MainWindow::WebScreensAdapter::OpenAutoPagingAt(const QPoint& at) { w_.autoFrame_->ShowAt(at); }

void MainWindow::WebScreensAdapter::OpenSetupAt(const QPoint& at) {
    w_.menuAt_ = at;
    w_.OpenSetupFrame();
}

void MainWindow::WebScreensAdapter::OpenOutputChooserAt(const QPoint& at) {
    w_.outputChooser_->ShowAt(at, PrintWay::CapturedPicture);
}

double MainWindow::WebScreensAdapter::ClientWidthTwips() const { return w_.width() * kTwipsPerPixel; }

double MainWindow::WebScreensAdapter::ClientHeightTwips() const { return w_.height() * kTwipsPerPixel; }

}  // namespace tidemark
