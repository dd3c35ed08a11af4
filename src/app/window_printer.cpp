#include "app/window_printer.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <algorithm>
#include <iostream>

#include "app/console_host.h"
#include "core/units.h"

namespace tidemark {
namespace {

void Report(const QString& printer, const char* what) {
    const std::string name = printer.isEmpty() ? std::string("the default printer") : printer.toStdString();
    std::cerr << ConsoleHost::OneLine("Printing on " + name + " failed: " + what) << std::endl;
}

}  // namespace

WindowPrinter::WindowPrinter(QWidget& window, std::function<QImage()> capture, std::function<void()> yield)
    : window_(window), capture_(std::move(capture)), yield_(std::move(yield)) {}

QStringList WindowPrinter::PrinterNames() { return QPrinterInfo::availablePrinterNames(); }

bool WindowPrinter::Print(const std::optional<QString>& name, PrintWay way) {
    QPrinter printer(QPrinter::HighResolution);
    if (name) {
        QPrinterInfo installed = QPrinterInfo::printerInfo(*name);
        if (!installed.isNull()) printer.setPrinterName(installed.printerName());
    }
    printer.setDocName("Tidemark");
    printer.setPageOrientation(QPageLayout::Portrait);

    std::optional<QSize> remembered = name ? FitWindowToPaper(printer) : std::nullopt;
    bool printed = PrintPage(printer, way);
    printer.setPageOrientation(QPageLayout::Portrait);
    if (remembered) {
        window_.resize(*remembered);
        yield_();
    }
    return printed;
}

std::optional<QSize> WindowPrinter::FitWindowToPaper(QPrinter& printer) {
    // Only a window wider than the upright paper is made the paper's size; it then takes
    // the shape of the printable area of the sheet turned to landscape, the way the page
    // goes out, so that the page fills the sheet.
    QPageLayout layout = printer.pageLayout();
    const double uprightWidth = layout.fullRect(QPageLayout::Point).width() * kTwipsPerPoint;
    if (uprightWidth <= 0 || uprightWidth >= PixelsToTwips(window_.width())) return std::nullopt;
    layout.setOrientation(QPageLayout::Landscape);
    const QRectF printable = layout.paintRect(QPageLayout::Point);
    if (printable.isEmpty()) return std::nullopt;
    if (window_.isMinimized() || window_.isMaximized()) window_.showNormal();
    QSize remembered = window_.size();
    window_.resize(TwipsToPixels(printable.width() * kTwipsPerPoint),
                   TwipsToPixels(printable.height() * kTwipsPerPoint));
    yield_();
    return remembered;
}

bool WindowPrinter::PrintPage(QPrinter& printer, PrintWay way) {
    // The picture is taken before the printer is opened, so the window is still the
    // one that shows when a capture yields.
    QImage picture;
    if (way == PrintWay::CapturedPicture) {
        picture = capture_();
        if (picture.isNull()) {
            Report(printer.printerName(), "the window could not be captured");
            return false;
        }
    }
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        Report(printer.printerName(), "the printer could not be opened");
        return false;
    }
    // The page fills the printable area as far as its shape allows, from its top-left
    // corner: a picture or window larger than the sheet would be cut off at its edges.
    const QSize page = way == PrintWay::CapturedPicture ? picture.size() : window_.size();
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(area.width() / std::max(1, page.width()), area.height() / std::max(1, page.height()));
    painter.scale(scale, scale);
    if (way == PrintWay::CapturedPicture) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QPointF(0, 0), picture);
    } else {
        window_.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        Report(printer.printerName(), "the print system did not take the page");
        return false;
    }
    return true;
}

}  // namespace tidemark
