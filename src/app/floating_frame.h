#pragma once
// A frame that floats over the page and can be dragged by its background with the left
// button: the auto-paging, days, setup and watch-level frames.
#include <QFrame>
#include <QPoint>

class QLabel;

namespace tidemark {

class FloatingFrame : public QFrame {
    Q_OBJECT
public:
    FloatingFrame(const QString& caption, QWidget* parent);

    // Shows the frame with its top-left corner at `topLeft` (parent pixels), in front.
    void ShowAt(const QPoint& topLeft);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint grabPoint_;
};

}  // namespace tidemark
