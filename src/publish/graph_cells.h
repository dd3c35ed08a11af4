#pragma once
// Where each graph's own image is cut from the captured page: the graph's column, from
// the top of its row down to the next row (less a small gap), so a graph image shows the
// graph as the page shows it. Pure geometry.
#include <array>
#include <vector>

#include "core/units.h"
#include "pages/layout.h"

namespace tidemark {

struct PixelCrop {
    int slot = 0;
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelCrop&) const = default;
};

struct GraphCellsInput {
    int graphCount = 1;                     // the page's highest used slot + 1
    double W = 0, H = 0;                    // the layout pass' client width and height less the bottom band (twips)
    std::array<bool, kLayoutSlots> used{};  // the slot is not empty
    std::array<bool, kLayoutSlots> webScreen{};  // the slot is a web screen
    int imageWidth = 0, imageHeight = 0;         // the captured client area (pixels)
    double twipsPerPixel = kTwipsPerPixel;
};

// The slot whose chart starts the second row, by graph count; -1 for a one-graph page.
int SecondRowSlot(int graphCount);

// The distance from the first row's top to the second row's top (twips); on a one-graph
// page the chart's height, or the whole capture when the single slot is a web screen.
double RowPitch(const GraphCellsInput& input);

// One crop per used slot 0 .. graphCount - 1, inside the image. Empty slots have no graph
// and give no image.
std::vector<PixelCrop> GraphCrops(const GraphCellsInput& input);

}  // namespace tidemark
