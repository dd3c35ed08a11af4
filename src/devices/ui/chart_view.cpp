#include "devices/ui/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "devices/ui/chart_painter.h"
#include "devices/ui/flood_overlay.h"
#include "pages/flood_bands.h"
#include "render/chart_layout.h"

namespace tidemark {

ChartView::ChartView(ChartSurface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ChartView::ApplySurface() {
    if (surface_.Width() > 0 && surface_.Height() > 0) {
        // Place by edges so neighbouring charts meet without a gap or overlap from rounding.
        int left = TwipsToPixels(surface_.Left()), top = TwipsToPixels(surface_.Top());
        int right = TwipsToPixels(surface_.Left() + surface_.Width());
        int bottom = TwipsToPixels(surface_.Top() + surface_.Height());
        setGeometry(left, top, std::max(1, right - left), std::max(1, bottom - top));
    }
    setEnabled(surface_.Enabled());
    setVisible(surface_.Visible());
    update();
}

void ChartView::SetFloodCategories(std::optional<FloodBandRequest> request) {
    flood_ = request;
    update();
}

void ChartView::PaintInto(QPainter& painter) const {
    QRectF plot = PaintChart(painter, surface_, QRectF(rect()));
    if (!flood_) return;
    // On a logarithmic axis the bands follow the decades the chart chose, as the curve does.
    FloodAxis axis;
    if (surface_.YAxis().scaleType == ScaleType::Logarithmic) {
        DrawnAxisRange y = DrawnYAxis(surface_, QRectF(rect()));
        axis = {y.logarithmic, y.minimum, y.maximum};
    }
    drawFloodCategories(painter,
                        FloodCategoryBands(*flood_, {plot.left(), plot.top(), plot.width(), plot.height()}, axis));
}

// Only a chart that covers its whole rectangle with an opaque backdrop looks the same
// painted apart and copied in as painted over its parent in place.
bool ChartView::PaintsAhead() const { return isVisible() && surface_.Backdrop().solid && !size().isEmpty(); }

QImage ChartView::PaintedAhead() const {
    // The capture's own format, so blending of antialiased edges gives the same pixels.
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    // Text not given a font of its own is drawn in the view's, as in a paint event.
    painter.setFont(font());
    PaintInto(painter);
    return image;
}

void ChartView::PaintAheadOfCapture(std::span<ChartView* const> views) {
    std::vector<ChartView*> ahead;
    for (ChartView* view : views) {
        view->capture_ = CapturePaint{};
        if (view->PaintsAhead()) ahead.push_back(view);
    }
    // Painting onto images needs nothing of the GUI thread; each view's image is its own.
    std::atomic<size_t> next{0};
    auto paintSome = [&ahead, &next] {
        for (size_t i = next++; i < ahead.size(); i = next++) ahead[i]->capture_->image = ahead[i]->PaintedAhead();
    };
    // One chart alone is not worth a thread.
    std::optional<std::jthread> second;
    if (ahead.size() > 1) second.emplace(paintSome);
    paintSome();
}

void ChartView::EndCapture(std::span<ChartView* const> views) {
    for (ChartView* view : views) view->capture_.reset();
}

void ChartView::paintEvent(QPaintEvent*) {
    if (capture_) {
        std::optional<QImage> image = std::move(capture_->image);
        capture_.reset();
        QPainter painter(this);
        if (image && image->size() == size())
            painter.drawImage(0, 0, *image);
        else
            PaintInto(painter);
        return;
    }
    if (onlyCaptures_) return;
    QPainter painter(this);
    PaintInto(painter);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    QPointF p = event->position();
    Q_EMIT MouseMoved(p.x() * kTwipsPerPixel, p.y() * kTwipsPerPixel);
    QWidget::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (secondClickRelease_) {
        // A double click is one click to the graph: one page turn, one values list.
        secondClickRelease_ = false;
        event->accept();
        return;
    }
    QPointF p = event->position();
    Q_EMIT MouseReleased(event->button(), event->modifiers(), p.x() * kTwipsPerPixel, p.y() * kTwipsPerPixel);
    QWidget::mouseReleaseEvent(event);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    secondClickRelease_ = true;
    event->accept();
}

}  // namespace tidemark
