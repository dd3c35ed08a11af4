#include "devices/ui/chart_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <array>
#include <cmath>
#include <memory>

#include "core/color.h"
#include "devices/ui/chart_painter.h"

namespace tidemark {
namespace {

TEST(ChartView, TakesItsPlaceAndStateFromTheSurface) {
    QWidget window;
    window.resize(800, 600);
    ChartSurface surface;
    surface.SetPlotWallColor(RGB(10, 200, 10));
    ChartView view(surface, &window);
    surface.SetBounds(1500, 300, 4500, 3000);
    surface.SetVisible(false);
    view.ApplySurface();
    EXPECT_EQ(view.geometry(), QRect(100, 20, 300, 200));
    EXPECT_TRUE(view.isHidden());

    surface.SetVisible(true);
    surface.SetEnabled(false);
    view.ApplySurface();
    EXPECT_FALSE(view.isHidden());
    EXPECT_FALSE(view.isEnabled());

    QImage shot = view.grab().toImage();
    PixelRect area = surface.PlotAreaPixels();
    QRgb wall = shot.pixel(area.left + area.width / 2, area.top + area.height / 2);
    EXPECT_EQ(qGreen(wall), 200);
    EXPECT_EQ(qRed(wall), 10);
}

TEST(ChartView, ReportsTheMouseInTwips) {
    ChartSurface surface;
    ChartView view(surface);
    std::vector<std::pair<double, double>> moves;
    struct Release {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        double x, y;
    };
    std::vector<Release> releases;
    QObject::connect(&view, &ChartView::MouseMoved, [&](double x, double y) { moves.push_back({x, y}); });
    QObject::connect(&view, &ChartView::MouseReleased,
                     [&](Qt::MouseButton b, Qt::KeyboardModifiers m, double x, double y) {
                         releases.push_back({b, m, x, y});
                     });
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 20), QPointF(10, 20), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(4, 47), QPointF(4, 47), Qt::RightButton, Qt::NoButton,
                        Qt::ShiftModifier);
    QApplication::sendEvent(&view, &release);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_pair(150.0, 300.0));
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].button, Qt::RightButton);
    EXPECT_TRUE(releases[0].modifiers & Qt::ShiftModifier);
    EXPECT_EQ(releases[0].x, 60);
    EXPECT_EQ(releases[0].y, 705);
}

// The colour a band leaves on a white wall.
QRgb OnWhite(int32_t color) {
    Rgb c = SplitColor(color);
    auto mix = [](int v) { return (v * 100 + 255 * 155 + 127) / 255; };
    return qRgb(mix(c.red), mix(c.green), mix(c.blue));
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

TEST(ChartView, FloodCategoriesArePaintedOverThePlotOnEveryRepaint) {
    ChartSurface surface;
    surface.SetPlotWallColor(0xFFFFFF);
    ChartValueScale& y = surface.YAxis().scale;
    y = {false, 0, 20, 4, 0};
    surface.SetBounds(0, 0, 600 * 15, 450 * 15);
    ChartView view(surface);
    view.ApplySurface();
    FloodBandRequest request;
    request.ymin = 0;
    request.ymax = 20;
    request.divisions = 4;
    request.minor = 12;
    request.moderate = 15;
    request.major = 18;
    request.dsid = 2105;
    view.SetFloodCategories(request);

    for (int repaint = 0; repaint < 2; ++repaint) {
        QImage shot = view.grab().toImage();
        QRectF plot = PlotAreaIn(surface, QRectF(view.rect()));
        int x = static_cast<int>(plot.right()) - 4;  // right of the labels
        // Down the column: each band's colour in order, as many pixels as its feet.
        const std::vector<std::pair<int32_t, double>> bands = {
            {0xFF8EE2, 2}, {0x7272FF, 3}, {0x72C6FF, 3}, {0x72FFFF, 1}};
        std::vector<int> heights(bands.size(), 0);
        std::vector<size_t> order;
        for (int yPixel = static_cast<int>(plot.top()) + 1; yPixel < static_cast<int>(plot.bottom()); ++yPixel)
            for (size_t b = 0; b < bands.size(); ++b)
                if (Near(shot.pixel(x, yPixel), OnWhite(bands[b].first))) {
                    ++heights[b];
                    if (order.empty() || order.back() != b) order.push_back(b);
                }
        EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3}));
        double unit = plot.height() / 20;  // pixels per foot
        for (size_t b = 0; b < bands.size(); ++b) EXPECT_NEAR(heights[b], bands[b].second * unit, 2) << "band " << b;
        // Below the action band the wall is white again.
        EXPECT_EQ(shot.pixel(x, static_cast<int>(plot.top() + 10 * unit)), qRgb(255, 255, 255));
        // The labels are there too: dark pixels left in the major band.
        bool labelled = false;
        for (int lx = static_cast<int>(plot.left()) + 10; lx < static_cast<int>(plot.left()) + 60 && !labelled; ++lx)
            for (int ly = static_cast<int>(plot.top()); ly < static_cast<int>(plot.top() + 2 * unit); ++ly)
                labelled = labelled || qGray(shot.pixel(lx, ly)) < 150;
        EXPECT_TRUE(labelled);
        view.update();
    }
}

// A titled chart of a dense wavy line, with flood bands, as a page draws it.
void FillDenseChart(ChartSurface& surface, int32_t backdrop) {
    surface.SetBackdropColor(backdrop);
    surface.SetPlotWallColor(0xFFFFFF);
    surface.YAxis().scale = {false, 0, 20, 4, 0};
    surface.SetTitleText("Station 7\r\nStage, ft");
    surface.SetColumnCount(2);
    surface.SetRowCount(5000);
    for (int r = 1; r <= 5000; ++r) {
        surface.SetCell(r, 1, r);
        surface.SetCell(r, 2, 10 + 8 * std::sin(r / 40.0) + (r % 7) / 3.0);
    }
    surface.SetBounds(0, 0, 480 * 15, 360 * 15);
}

// A page capture has half its charts painted ahead on a second thread; what it shows must be what
// painting them in place shows, pixel for pixel, or published images would change.
TEST(ChartView, ChartsPaintedAheadOfACaptureAreThosePaintedInPlace) {
    QWidget window;
    window.resize(1000, 400);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(40, 40, 90));
    window.setPalette(palette);
    std::array<ChartSurface, 3> surfaces;
    FillDenseChart(surfaces[0], RGB(0, 0, 0));
    FillDenseChart(surfaces[1], RGB(250, 240, 200));
    FillDenseChart(surfaces[2], RGB(250, 240, 200));
    surfaces[2].Backdrop().solid = false;  // lets the window show through
    std::vector<std::unique_ptr<ChartView>> owned;
    std::vector<ChartView*> views;
    for (size_t i = 0; i < surfaces.size(); ++i) {
        surfaces[i].SetBounds(static_cast<int>(i) * 330 * 15 + 7 * 15, 11 * 15, 320 * 15, 360 * 15);
        owned.push_back(std::make_unique<ChartView>(surfaces[i], &window));
        views.push_back(owned.back().get());
        views.back()->ApplySurface();
    }
    FloodBandRequest bands{0, 0, 20, 4, 12, 15, 18, 2105};
    views[1]->SetFloodCategories(bands);

    QImage inPlace = window.grab().toImage();
    ChartView::CaptureAhead painting = ChartView::PaintAheadOfCapture(views);
    QImage ahead = window.grab().toImage();
    ChartView::EndCapture(views);
    ASSERT_EQ(inPlace.size(), ahead.size());
    EXPECT_TRUE(inPlace == ahead);
    // The capture used what was painted ahead once; the next paint paints afresh.
    surfaces[0].SetBackdropColor(RGB(0, 128, 0));
    views[0]->ApplySurface();
    EXPECT_EQ(views[0]->grab().toImage().pixel(2, 2), qRgb(0, 128, 0));
}

// A window nobody sees draws each chart once, into the capture.
TEST(ChartView, ChartsOnlyForCapturesPaintNothingOutsideThem) {
    ChartSurface surface;
    FillDenseChart(surface, RGB(0, 0, 255));
    ChartView view(surface);
    view.ApplySurface();
    view.SetPaintedOnlyIntoCaptures(true);
    QPixmap screen(view.size());
    screen.fill(Qt::white);
    view.render(&screen, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(screen.toImage().pixel(2, 2), qRgb(255, 255, 255));
    std::array<ChartView*, 1> views{&view};
    ChartView::CaptureAhead painting = ChartView::PaintAheadOfCapture(views);
    EXPECT_EQ(view.grab().toImage().pixel(2, 2), qRgb(0, 0, 255));
    ChartView::EndCapture(views);
}

}  // namespace
}  // namespace tidemark
