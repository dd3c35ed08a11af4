// Page images: the client area captured after the page has painted, written whole or cut
// into one image per graph, under the names of the image cycle or the one the user picks.
#include <QFileDialog>
#include <QImage>
#include <QPixmap>
#include <iostream>

#include "app/main_window.h"
#include "platform/ui/chart_painter.h"
#include "publish/graph_cells.h"
#include "publish/image_names.h"
#include "publish/save_and_publish.h"

namespace tidemark {
namespace {

QStringList QtFilters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList patterns;
        for (const std::string& p : f.patterns) patterns << QString::fromStdString(p == "*.*" ? "*" : p);
        // The description is shown as it is; the patterns in the last brackets select.
        out << QString::fromStdString(f.description) + " (" + patterns.join(' ') + ")";
    }
    return out;
}

}  // namespace

QImage MainWindow::CaptureClientArea() {
    Yield();
    setFocus();
    WaitMilliseconds(100);
    Yield();
    return grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::optional<std::string> MainWindow::AskImageFileName() {
    if (saveDialogAnswer_) {
        if (saveDialogAnswer_->empty()) return std::nullopt;
        return saveDialogAnswer_;
    }
    QFileDialog dialog(this, "Save page image", ProgramText(state_.programFolder));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters = QtFilters(ParseFileFilter(kSaveDialogFilter));
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix("png");
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(filter.startsWith("Bmp") ? "bmp" : "png"); });
    dialog.selectFile(QString(kInteractiveImageName) + ".png");
    repaint();
    // A cancelled dialog ends the save; there is nothing to report.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    repaint();
    Yield();
    QByteArray name = dialog.selectedFiles().first().toLocal8Bit();
    return std::string(name.constData(), static_cast<size_t>(name.size()));
}

void MainWindow::savePageImage() {
    if (closed_) return;
    Yield();
    QImage page = CaptureClientArea();

    PublishContext context;
    context.imageCycleMarker = state_.imageCycleMarker;
    context.commandLineMode = CommandLineMode();
    context.pngAvailable = pngAvailable_;
    context.programFolder = state_.programFolder;
    PublishHooks hooks;
    hooks.stopPaging = [this] { StopPagingTimer(); };
    hooks.restartPaging = [this] { RestartPagingTimer(); };
    hooks.written = [this](const std::string& path) {
        if (CommandLineMode() && options_.printWrittenImages) std::cout << "Saved... " << path << std::endl;
        Q_EMIT ImageWritten(QString::fromLocal8Bit(path.c_str()));
    };

    if (state_.imageCycleMarker == 0) {
        std::optional<std::string> name = AskImageFileName();
        if (!name) return;
        SaveAndPublish(page, *name, context, publish_, *this, hooks);
        return;
    }

    int p = state_.currentpage;
    if (!publish_.saveEachGraph) {
        SaveAndPublish(page, PageImagePath(publish_.imageBasePath, p), context, publish_, *this, hooks);
        return;
    }
    GraphCellsInput cells;
    cells.graphCount = layoutGraphCount_;
    cells.W = layoutW_;
    cells.H = layoutH_;
    cells.imageWidth = page.width();
    cells.imageHeight = page.height();
    if (state_.pages.ValidPage(p) && static_cast<size_t>(p) < state_.pages.pages.size()) {
        const PageRec& rec = state_.pages.Page(p);
        for (int s = 0; s < kLayoutSlots; ++s) {
            cells.used[static_cast<size_t>(s)] = rec.slots[static_cast<size_t>(s)].Kind() != SlotKind::Empty;
            cells.webScreen[static_cast<size_t>(s)] = rec.slots[static_cast<size_t>(s)].Kind() == SlotKind::WebScreen;
        }
    }
    for (const PixelCrop& crop : GraphCrops(cells)) {
        QImage graph = page.copy(crop.left, crop.top, crop.width, crop.height);
        SaveAndPublish(graph, GraphImagePath(publish_.imageBasePath, p, crop.slot), context, publish_, *this, hooks);
        if (closed_) return;
    }
}

}  // namespace tidemark
