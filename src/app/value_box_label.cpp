#include "app/value_box_label.h"

#include <QApplication>
#include <QMouseEvent>

namespace tidemark {
namespace {

QPoint InParent(const QWidget& widget, const QMouseEvent& event) {
    return widget.mapToParent(event.position().toPoint());
}

}  // namespace

ValueBoxLabel::ValueBoxLabel(QWidget* parent) : QLabel(parent) {}

void ValueBoxLabel::mousePressEvent(QMouseEvent* event) {
    pressAt_ = InParent(*this, *event);
    startTopLeft_ = pos();
    dragging_ = false;
    event->accept();
}

void ValueBoxLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    QPoint at = InParent(*this, *event);
    if (!dragging_ && (at - pressAt_).manhattanLength() < QApplication::startDragDistance()) return;
    dragging_ = true;
    // The box rides under the pointer, centred on it, as it will be dropped.
    move(at - QPoint(width() / 2, height() / 2));
}

void ValueBoxLabel::mouseReleaseEvent(QMouseEvent* event) {
    QPoint at = InParent(*this, *event);
    if (dragging_) {
        dragging_ = false;
        Q_EMIT Dropped(at, startTopLeft_);
    } else if (secondClickRelease_) {
        secondClickRelease_ = false;
    } else {
        Q_EMIT ClickedThrough(event->button(), event->modifiers(), at);
    }
    event->accept();
}

void ValueBoxLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // Starts a press as any other (a drag may follow); its release is not a second click.
    mousePressEvent(event);
    secondClickRelease_ = true;
}

}  // namespace tidemark
