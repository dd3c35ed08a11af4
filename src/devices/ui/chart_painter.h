#pragma once
// Paints a ChartSurface with QPainter, at any size: the widget, page images and tests
// all go through here.
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <string_view>

#include "render/chart_surface.h"

class QPainter;

namespace tidemark {

// Paints the surface into target (device pixels of the painter). The surface is laid
// out at its own size in twips when it has one, otherwise at target's size times 15,
// and scaled to fit target.
// Returns where the plot area went, for what is painted over it.
QRectF PaintChart(QPainter& painter, const ChartSurface& surface, const QRectF& target);

// Where PaintChart puts the plot area (the wall inside the axes) within target.
QRectF PlotAreaIn(const ChartSurface& surface, const QRectF& target);

// The Y axis as PaintChart lays it out within target: its drawn range and scale type.
struct DrawnAxisRange {
    bool logarithmic = false;
    double minimum = 0, maximum = 0;
};
DrawnAxisRange DrawnYAxis(const ChartSurface& surface, const QRectF& target);

// The surface drawn into an image of the given pixel size, without any window. Where
// the backdrop is not solid the image is white.
QImage RenderChartImage(const ChartSurface& surface, QSize pixelSize);

}  // namespace tidemark
