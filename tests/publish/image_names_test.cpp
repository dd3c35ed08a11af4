#include <gtest/gtest.h>

#include "publish/image_names.h"

using namespace tidemark;

TEST(ImageNames, UnattendedNamesFromTheBasePath) {
    EXPECT_EQ(PageImagePath("/srv/pics/Tidemark_window.png", 3), "/srv/pics/Tidemark_window3.png");
    EXPECT_EQ(GraphImagePath("/srv/pics/Tidemark_window.png", 3, 1), "/srv/pics/Tidemark_window_3_2.png");
    // Matched without regard to case, every occurrence.
    EXPECT_EQ(PageImagePath("/a_WINDOW.PNG/Tidemark_Window.png", 12), "/a_window12.png/Tidemark_window12.png");
    EXPECT_EQ(PageImagePath("Tidemark_window.png", 1), "Tidemark_window1.png");
    // A base without the marker text is used as it is.
    EXPECT_EQ(PageImagePath("/x/page.png", 2), "/x/page.png");
}

TEST(ImageNames, SaveDialogFilterKeepsItsTexts) {
    std::vector<FileFilter> filters = ParseFileFilter(kSaveDialogFilter);
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].description, "Pic files (*.png;*.bmp)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.png", "*.bmp"}));
    // The second entry reads "Png (*.jpg)" and selects PNG files.
    EXPECT_EQ(filters[1].description, "Png (*.jpg)");
    EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*.png"});
    EXPECT_EQ(filters[2].patterns, std::vector<std::string>{"*.bmp"});
    EXPECT_EQ(filters[3].description, "All files (*.*)");
}

TEST(ImageNames, PngOrBitmapByName) {
    EXPECT_TRUE(IsPngPath("/tmp/Tidemark_graph.png"));
    EXPECT_TRUE(IsPngPath("/tmp/PAGE.PNG"));
    EXPECT_FALSE(IsPngPath("/tmp/Tidemark_graph.bmp"));
    EXPECT_FALSE(IsPngPath("/tmp/noextension"));
}
