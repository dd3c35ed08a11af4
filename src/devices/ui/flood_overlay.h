#pragma once
// Overlays painted over a drawn chart: flood-category bands and their labels.
#include <QPainter>
#include <string>
#include <vector>

#include "pages/flood_bands.h"

namespace tidemark {

// Text in black at alpha 150 in the sans-serif family, `points` high, its top-left
// corner at (x, y) pixels.
void drawOverlayText(QPainter& painter, const std::string& text, double points, double x, double y);

// Fills each band in its colour at alpha 100 and writes its label.
void drawFloodCategories(QPainter& painter, const std::vector<FloodBand>& bands);

}  // namespace tidemark
