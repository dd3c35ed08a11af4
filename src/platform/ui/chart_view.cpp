#include "platform/ui/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "pages/flood_bands.h"
#include "platform/ui/chart_painter.h"
#include "platform/ui/flood_overlay.h"
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

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRectF plot = PaintChart(painter, surface_, QRectF(rect()));
    if (!flood_) return;
    drawFloodCategories(painter, FloodCategoryBands(*flood_, {plot.left(), plot.top(), plot.width(), plot.height()}));
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
