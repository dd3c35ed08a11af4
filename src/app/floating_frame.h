#pragma once
// A frame that floats over the page and can be dragged by its background with the left
// button: the auto-paging, days, setup and watch-level frames. It always lies inside the
// window, scrolling its contents when the window is too small for them, and Escape
// closes it as its Cancel would.
#include <QFrame>
#include <QPoint>

class QLabel;
class QScrollArea;

namespace tidemark {

class FloatingFrame : public QFrame {
    Q_OBJECT
public:
    FloatingFrame(const QString& caption, QWidget* parent);

    // Shows the frame with its top-left corner at `topLeft` (parent pixels), in front,
    // moved up or left as far as it must be to lie inside the parent.
    void ShowAt(const QPoint& topLeft);

protected:
    // What the frame shows: subclasses lay their controls out on it.
    QWidget* Body() const { return body_; }
    // Escape: closes the frame without doing anything else.
    virtual void Cancel() { hide(); }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QScrollArea* scroll_ = nullptr;
    QWidget* body_ = nullptr;
    QPoint grabPoint_;
};

}  // namespace tidemark
