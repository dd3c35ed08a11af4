#include "platform/ui/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "platform/ui/chart_painter.h"
#include "render/chart_layout.h"

namespace tidemark {

namespace {
int ToPixels(int twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
}  // namespace

ChartView::ChartView(ChartSurface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ChartView::ApplySurface() {
    if (surface_.Width() > 0 && surface_.Height() > 0) {
        // Place by edges so neighbouring charts meet without a gap or overlap from rounding.
        int left = ToPixels(surface_.Left()), top = ToPixels(surface_.Top());
        int right = ToPixels(surface_.Left() + surface_.Width());
        int bottom = ToPixels(surface_.Top() + surface_.Height());
        setGeometry(left, top, std::max(1, right - left), std::max(1, bottom - top));
    }
    setEnabled(surface_.Enabled());
    setVisible(surface_.Visible());
    update();
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintChart(painter, surface_, QRectF(rect()));
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    QPointF p = event->position();
    Q_EMIT MouseMoved(p.x() * kTwipsPerPixel, p.y() * kTwipsPerPixel);
    QWidget::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    QPointF p = event->position();
    Q_EMIT MouseReleased(event->button(), event->modifiers(), p.x() * kTwipsPerPixel, p.y() * kTwipsPerPixel);
    QWidget::mouseReleaseEvent(event);
}

}  // namespace tidemark
