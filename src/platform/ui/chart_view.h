#pragma once
// The widget that shows one ChartSurface. The surface holds everything the graph is;
// the view paints it and reports the mouse in the surface's twips.
#include <QWidget>
#include <optional>

#include "pages/layout.h"
#include "render/chart_surface.h"

namespace tidemark {

class ChartView : public QWidget {
    Q_OBJECT
public:
    // The surface must outlive the view.
    explicit ChartView(ChartSurface& surface, QWidget* parent = nullptr);

    ChartSurface& Surface() { return surface_; }
    const ChartSurface& Surface() const { return surface_; }

    // Applies the surface's place (window twips), enabled and visible settings to the
    // widget and repaints it. Callers change the surface, then call this once.
    void ApplySurface();

    // Flood categories painted over the plot on every repaint, so they are in every
    // capture of the window; nothing clears them.
    void SetFloodCategories(std::optional<FloodBandRequest> request);
    const std::optional<FloodBandRequest>& FloodCategories() const { return flood_; }

Q_SIGNALS:
    // Positions are twips from the widget's top-left corner.
    void MouseMoved(double xTwips, double yTwips);
    void MouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double xTwips, double yTwips);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ChartSurface& surface_;
    // The release that ends a double click: its first click has already been reported.
    bool secondClickRelease_ = false;
    std::optional<FloodBandRequest> flood_;
};

}  // namespace tidemark
