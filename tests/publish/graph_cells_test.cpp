#include <gtest/gtest.h>

#include <cmath>

#include "publish/graph_cells.h"

using namespace tidemark;

namespace {

// A 1200 x 800 pixel client area as the layout pass sees it.
GraphCellsInput Client(int graphCount) {
    GraphCellsInput in;
    in.graphCount = graphCount;
    in.W = 1200 * 15;
    in.H = 800 * 15 - kBottomBand;
    in.imageWidth = 1200;
    in.imageHeight = 800;
    for (int s = 0; s < graphCount; ++s) in.used[static_cast<size_t>(s)] = true;
    return in;
}

}  // namespace

TEST(GraphCells, RowPitchComesFromTheFirstChartOfTheSecondRow) {
    EXPECT_EQ(SecondRowSlot(1), -1);
    EXPECT_EQ(SecondRowSlot(2), 1);
    EXPECT_EQ(SecondRowSlot(4), 2);
    EXPECT_EQ(SecondRowSlot(6), 4);
    EXPECT_EQ(SecondRowSlot(9), 3);
    EXPECT_EQ(SecondRowSlot(12), 4);
    GraphCellsInput four = Client(4);
    EXPECT_DOUBLE_EQ(RowPitch(four), four.H / 2);
    GraphCellsInput nine = Client(9);
    EXPECT_DOUBLE_EQ(RowPitch(nine), nine.H / 3);
    // One graph: its chart's height; one web screen: the whole capture.
    GraphCellsInput one = Client(1);
    EXPECT_DOUBLE_EQ(RowPitch(one), one.H + 1200);
    one.webScreen[0] = true;
    EXPECT_DOUBLE_EQ(RowPitch(one), 800 * 15);
}

TEST(GraphCells, CropsFollowTheGridAndStayInsideTheImage) {
    GraphCellsInput in = Client(4);
    std::vector<PixelCrop> crops = GraphCrops(in);
    ASSERT_EQ(crops.size(), 4u);
    int pitch = static_cast<int>(std::lround(in.H / 2 / 15)) - 6;
    // Rows are measured from the first row, so the top row starts at the client's top.
    EXPECT_EQ(crops[0], (PixelCrop{0, 0, 0, 600, pitch}));
    EXPECT_EQ(crops[1], (PixelCrop{1, 600, 0, 600, pitch}));
    EXPECT_EQ(crops[3].top, static_cast<int>(std::lround(in.H / 2 / 15)));
    for (const PixelCrop& c : crops) {
        EXPECT_GE(c.left, 0);
        EXPECT_LE(c.left + c.width, in.imageWidth);
        EXPECT_LE(c.top + c.height, in.imageHeight);
    }

    // A one-graph page's chart is taller than the window: the crop is the client area.
    std::vector<PixelCrop> one = GraphCrops(Client(1));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (PixelCrop{0, 0, 0, 1200, 800}));
}

TEST(GraphCells, EmptySlotsGiveNoImage) {
    GraphCellsInput in = Client(6);
    in.used[2] = false;
    std::vector<PixelCrop> crops = GraphCrops(in);
    ASSERT_EQ(crops.size(), 5u);
    for (const PixelCrop& c : crops) EXPECT_NE(c.slot, 2);
    EXPECT_EQ(crops[2].slot, 3);
}
