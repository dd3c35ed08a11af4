#include "devices/ui/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <future>
#include <memory>
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

void ChartView::PaintInto(QPainter& painter, const QRect& area) const {
    QRectF plot = PaintChart(painter, surface_, QRectF(area));
    if (!flood_) return;
    // On a logarithmic axis the bands follow the decades the chart chose, as the curve does.
    FloodAxis axis;
    if (surface_.YAxis().scaleType == ScaleType::Logarithmic) {
        DrawnAxisRange y = DrawnYAxis(surface_, QRectF(area));
        axis = {y.logarithmic, y.minimum, y.maximum};
    }
    drawFloodCategories(painter,
                        FloodCategoryBands(*flood_, {plot.left(), plot.top(), plot.width(), plot.height()}, axis));
}

// Only a chart that covers its whole rectangle with an opaque backdrop looks the same
// painted apart and copied in as painted over its parent in place.
bool ChartView::PaintsAhead() const { return isVisible() && surface_.Backdrop().solid && !size().isEmpty(); }

QImage ChartView::PaintedAhead(const PaintPlace& place) const {
    // The capture's own format, so blending of antialiased edges gives the same pixels.
    QImage image(place.rect.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    // Text not given a font of its own is drawn in the view's, as in a paint event.
    painter.setFont(place.font);
    PaintInto(painter, place.rect);
    return image;
}

ChartView::CaptureAhead ChartView::PaintAheadOfCapture(std::span<ChartView* const> views) {
    std::vector<ChartView*> ahead;
    for (ChartView* view : views) {
        view->capture_ = CapturePaint{};
        if (view->PaintsAhead()) ahead.push_back(view);
    }
    CaptureAhead capture;
    // One chart alone is not worth a thread.
    if (ahead.size() < 2) return capture;
    // The capture paints the charts in order: the second thread takes the last third,
    // whose images are then most likely ready when the capture comes to them. The window
    // thread also paints the backdrop, titles and labels; a third keeps the two threads
    // about even and holds a third, not half, of the charts twice.
    struct Job {
        PaintPlace place;
        const ChartView* view;
        std::promise<QImage> painted;
    };
    auto jobs = std::make_shared<std::vector<Job>>();
    for (size_t i = 2 * ahead.size() / 3; i < ahead.size(); ++i) {
        ChartView* view = ahead[i];
        Job job{{view->rect(), view->font()}, view, {}};
        view->capture_->image = job.painted.get_future();
        jobs->push_back(std::move(job));
    }
    // The images need nothing of the window's thread: each job has its own image, and
    // what it reads of its widget was taken above.
    capture.painter_.emplace([jobs] {
        for (Job& job : *jobs) job.painted.set_value(job.view->PaintedAhead(job.place));
    });
    return capture;
}

void ChartView::EndCapture(std::span<ChartView* const> views) {
    for (ChartView* view : views) view->capture_.reset();
}

void ChartView::paintEvent(QPaintEvent*) {
    if (capture_) {
        std::optional<std::future<QImage>> painted = std::move(capture_->image);
        capture_.reset();
        QPainter painter(this);
        if (painted) {
            QImage image = painted->get();
            if (image.size() == size()) return painter.drawImage(0, 0, image);
        }
        PaintInto(painter, rect());
        return;
    }
    if (onlyCaptures_) return;
    QPainter painter(this);
    PaintInto(painter, rect());
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
