#include "pages/web_screen.h"

#include <gtest/gtest.h>

using namespace tidemark;

TEST(WebScreenTest, OnlyTheLastFiveCharactersNameADocumentThatCannotBeScripted) {
    EXPECT_FALSE(IsScriptableAddress("C:/reports/report.pdf "));  // trailing spaces removed first
    EXPECT_FALSE(IsScriptableAddress("/data/levels.xlsx"));
    EXPECT_FALSE(IsScriptableAddress("/data/LEVELS.XLS"));
    EXPECT_FALSE(IsScriptableAddress("a.pdf"));
    EXPECT_TRUE(IsScriptableAddress("/data/report.pdf.html"));  // ".PDF" earlier in the address
    EXPECT_TRUE(IsScriptableAddress("http://host/x.xlsm/view"));
    EXPECT_TRUE(IsScriptableAddress(""));
    EXPECT_TRUE(IsSheetAddress("/data/levels.xlsx  "));
    EXPECT_FALSE(IsSheetAddress("/data/levels.xlsm"));
}

TEST(WebScreenTest, SplashProgressCountsBrowsersFromOne) {
    WebScreenProgress first = ProgressFor(0, 3), last = ProgressFor(2, 3);
    EXPECT_EQ(first.label, " 1 of 3");
    EXPECT_EQ(first.barWidthTwips, 1200);
    EXPECT_EQ(last.label, " 3 of 3");
    EXPECT_EQ(last.barWidthTwips, kSplashBarTwips);
    EXPECT_EQ(HelpNotice("file:///x/README.md"), "Help is online at file:///x/README.md");
}

TEST(WebScreenTest, DocumentClicksPageUnlessNavigationIsAllowedAndRightClicksOffTheBodyOpenTheMenu) {
    EXPECT_EQ(DocumentMouseUp("DIV", kLeftButton, false, false), DocumentClick::NextPage);
    EXPECT_EQ(DocumentMouseUp("A", kLeftButton, true, false), DocumentClick::PreviousPage);
    EXPECT_EQ(DocumentMouseUp("A", kLeftButton, false, true), DocumentClick::Nothing);
    EXPECT_EQ(DocumentMouseUp(" body ", kRightButton, false, false), DocumentClick::Nothing);
    EXPECT_EQ(DocumentMouseUp("HTML", kRightButton, false, false), DocumentClick::Nothing);
    EXPECT_EQ(DocumentMouseUp("IMG", kRightButton, false, true), DocumentClick::ShowMenu);
    EXPECT_EQ(DocumentMouseUp("A", 4, false, false), DocumentClick::Nothing);
    WindowPoint at = WebMenuPosition({300, 150, 6000, 4000});
    EXPECT_EQ(at.x, 3300);
    EXPECT_EQ(at.y, 1150);
}
