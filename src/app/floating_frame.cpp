#include "app/floating_frame.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/fit_in_parent.h"

namespace tidemark {

FloatingFrame::FloatingFrame(const QString& caption, QWidget* parent) : QFrame(parent) {
    setObjectName(caption);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    body_ = new QWidget(scroll_);
    scroll_->setWidget(body_);
    outer->addWidget(scroll_);
    hide();
}

void FloatingFrame::ShowAt(const QPoint& topLeft) {
    QSize wanted = body_->sizeHint().expandedTo(body_->minimumSizeHint()) + QSize(2 * frameWidth(), 2 * frameWidth());
    QSize room = parentWidget() ? parentWidget()->size() : wanted;
    // Too tall for the window: the contents scroll beside a scroll bar of their own; too
    // wide: below one.
    if (wanted.height() > room.height()) wanted.rwidth() += scroll_->verticalScrollBar()->sizeHint().width();
    if (wanted.width() > room.width()) wanted.rheight() += scroll_->horizontalScrollBar()->sizeHint().height();
    QRect placed = FitInParent(QRect(topLeft, wanted), room);
    setGeometry(placed);
    raise();
    show();
    // Escape reaches the frame from whichever of its controls has the keyboard.
    setFocus();
}

void FloatingFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) grabPoint_ = event->position().toPoint();
    QFrame::mousePressEvent(event);
}

void FloatingFrame::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) move(pos() + event->position().toPoint() - grabPoint_);
    QFrame::mouseMoveEvent(event);
}

void FloatingFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Cancel();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

}  // namespace tidemark
