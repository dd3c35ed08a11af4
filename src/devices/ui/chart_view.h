#pragma once
// The widget that shows one ChartSurface. The surface holds everything the graph is;
// the view paints it and reports the mouse in the surface's twips.
#include <QImage>
#include <QWidget>
#include <future>
#include <optional>
#include <span>
#include <thread>

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

    // A window nobody sees (a one-shot render) paints its charts only into captures, so
    // each page is drawn once and not a second time for a screen.
    void SetPaintedOnlyIntoCaptures(bool onlyCaptures) { onlyCaptures_ = onlyCaptures; }

    // The charts a second thread paints while the window's thread captures the window.
    // Ends that thread when it goes.
    class CaptureAhead {
    public:
        CaptureAhead() = default;
        CaptureAhead(CaptureAhead&&) = default;
        CaptureAhead& operator=(CaptureAhead&&) = default;
        ~CaptureAhead() = default;

    private:
        friend class ChartView;
        std::optional<std::jthread> painter_;
    };

    // Readies the visible charts among `views` for a capture of the window that follows
    // at once, with no events handled in between, and EndCapture() after it: a second
    // thread paints the last third of them into images while the capture paints the
    // others in place, so a page of dense graphs uses both cores and only a third of its
    // charts is held twice. Keep the result until EndCapture().
    [[nodiscard]] static CaptureAhead PaintAheadOfCapture(std::span<ChartView* const> views);
    static void EndCapture(std::span<ChartView* const> views);

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
    // What the next paint of a capture shows: the chart painted ahead, or nothing when
    // the chart lets its parent show through and must be painted over it in place.
    struct CapturePaint {
        std::optional<std::future<QImage>> image;
    };

    // What painting apart needs of the widget, taken on the window's thread.
    struct PaintPlace {
        QRect rect;
        QFont font;
    };

    void PaintInto(QPainter& painter, const QRect& area) const;
    bool PaintsAhead() const;
    QImage PaintedAhead(const PaintPlace& place) const;

    ChartSurface& surface_;
    // The release that ends a double click: its first click has already been reported.
    bool secondClickRelease_ = false;
    std::optional<FloodBandRequest> flood_;
    bool onlyCaptures_ = false;
    std::optional<CapturePaint> capture_;
};

}  // namespace tidemark
