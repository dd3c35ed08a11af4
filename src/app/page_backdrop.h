#pragma once
// The area the page is drawn on. It paints the page's background colour itself rather
// than through a palette: a palette would pass the colour on to every frame, menu and
// list shown over the page, which keep the system's own colours whatever the page's.
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace tidemark {

class PageBackdrop : public QWidget {
public:
    explicit PageBackdrop(QWidget* parent) : QWidget(parent) {}

    void SetColor(const QColor& color) {
        if (color == color_) return;
        color_ = color;
        update();
    }
    QColor Color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), color_);
    }

private:
    QColor color_ = Qt::white;
};

}  // namespace tidemark
