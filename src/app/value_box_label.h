#pragma once
// A graph's large current-value box. It can be dragged to another place on its graph;
// a click that does not drag belongs to the graph beneath and is passed on.
#include <QLabel>

namespace tidemark {

class ValueBoxLabel : public QLabel {
    Q_OBJECT
public:
    explicit ValueBoxLabel(QWidget* parent);

Q_SIGNALS:
    // Released after a drag with the pointer at `point` (parent coordinates); the box
    // was at `startTopLeft` when the drag began.
    void Dropped(const QPoint& point, const QPoint& startTopLeft);
    // A click without a drag, at `point` (parent coordinates).
    void ClickedThrough(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& point);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPoint pressAt_;  // parent coordinates
    QPoint startTopLeft_;
    bool dragging_ = false;
    // The release that ends a double click: its first click has already been passed on.
    bool secondClickRelease_ = false;
};

}  // namespace tidemark
