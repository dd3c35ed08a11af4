#include "app/floating_frame.h"

#include <QMouseEvent>

namespace tidemark {

FloatingFrame::FloatingFrame(const QString& caption, QWidget* parent) : QFrame(parent) {
    setObjectName(caption);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    hide();
}

void FloatingFrame::ShowAt(const QPoint& topLeft) {
    adjustSize();
    move(topLeft);
    raise();
    show();
}

void FloatingFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) grabPoint_ = event->position().toPoint();
    QFrame::mousePressEvent(event);
}

void FloatingFrame::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) move(pos() + event->position().toPoint() - grabPoint_);
    QFrame::mouseMoveEvent(event);
}

}  // namespace tidemark
