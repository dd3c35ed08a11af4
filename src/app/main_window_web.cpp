// The window as the web screens see it: paging, the frames the web-screen menu opens,
// and the client area an enlarged web screen covers.
#include "app/auto_paging_frame.h"
#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/output_chooser.h"
#include "app/values_list.h"

namespace tidemark {

void MainWindow::HideGraphLists() {
    valuesList_->hide();
    graphMenu_->hide();
}

void MainWindow::StopPaging() { paging_->Stop(); }

void MainWindow::OpenAutoPagingAt(const QPoint& at) { autoFrame_->ShowAt(at); }

void MainWindow::OpenSetupAt(const QPoint& at) {
    menuAt_ = at;
    OpenSetupFrame();
}

void MainWindow::OpenOutputChooserAt(const QPoint& at) { outputChooser_->ShowAt(at, PrintWay::CapturedPicture); }

double MainWindow::ClientWidthTwips() const { return width() * kTwipsPerPixel; }

double MainWindow::ClientHeightTwips() const { return height() * kTwipsPerPixel; }

}  // namespace tidemark
