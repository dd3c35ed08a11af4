#include "publish/graph_cells.h"

#include <algorithm>
#include <cmath>

namespace tidemark {
namespace {

// The gap left between a graph's image and the next row's chart.
constexpr int kRowGapPixels = 6;

int ToPixels(double twips, double twipsPerPixel) { return static_cast<int>(std::lround(twips / twipsPerPixel)); }

}  // namespace

int SecondRowSlot(int graphCount) {
    if (graphCount <= 1) return -1;
    if (graphCount == 2) return 1;
    if (graphCount <= 4) return 2;
    if (graphCount <= 6) return 4;
    if (graphCount <= 9) return 3;
    return 4;
}

double RowPitch(const GraphCellsInput& in) {
    int n = std::clamp(in.graphCount, 1, kLayoutSlots);
    WindowRect first = ChartRectFor(n, 0, in.W, in.H);
    int second = SecondRowSlot(n);
    if (second < 0) {
        if (in.webScreen[0]) return in.imageHeight * in.twipsPerPixel;
        return first.height;
    }
    return ChartRectFor(n, second, in.W, in.H).top - first.top;
}

std::vector<PixelCrop> GraphCrops(const GraphCellsInput& in) {
    std::vector<PixelCrop> crops;
    int n = std::clamp(in.graphCount, 1, kLayoutSlots);
    WindowRect first = ChartRectFor(n, 0, in.W, in.H);
    int pitchHeight = ToPixels(RowPitch(in), in.twipsPerPixel) - kRowGapPixels;
    for (int s = 0; s < n; ++s) {
        if (!in.used[static_cast<size_t>(s)]) continue;
        WindowRect chart = ChartRectFor(n, s, in.W, in.H);
        // Rows are measured from the first row, whose top lies above the client area.
        int left = ToPixels(chart.left, in.twipsPerPixel);
        int top = ToPixels(chart.top - first.top, in.twipsPerPixel);
        int right = std::min(in.imageWidth, left + ToPixels(chart.width, in.twipsPerPixel));
        int bottom = std::min(in.imageHeight, top + pitchHeight);
        left = std::clamp(left, 0, in.imageWidth);
        top = std::clamp(top, 0, in.imageHeight);
        if (right <= left || bottom <= top) continue;
        crops.push_back({s, left, top, right - left, bottom - top});
    }
    return crops;
}

}  // namespace tidemark
