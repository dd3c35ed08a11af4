// A web screen's settings set through its view must land in their own fields of the
// line, and the view of the slot read back must give them again.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/textfile.h"
#include "setup/setup_writer.h"
#include "setup/web_screen_slot.h"
#include "setup_test_support.h"

using namespace tidemark;
using namespace tidemark::test;

namespace {

Model ReadSample(const std::string& text) {
    TempFolder folder;
    folder.Write(kSetupFileName, text);
    RecordingHost host;
    Model m;
    SetupReadResult r = SetupReader(host).Read(folder.path(), m.Targets());
    EXPECT_TRUE(r.ok()) << r.error();
    return m;
}

bool HasLine(const std::string& text, const std::string& line) {
    std::vector<std::string> lines = SplitLines(text);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TEST(WebScreenSlot, SettingsSetThroughTheViewAreWrittenInTheirFieldsAndReadBack) {
    Model m = ReadSample(SampleSetup());
    GraphDef& g = m.pages.Graph(1, 6);
    WebScreenSlot web(g);
    web.MakeWebScreen("file:///srv/notes.html");
    web.SetScrollBars(false);
    web.SetSavedScroll({-40000, 250});  // a browser may report more than the file holds
    web.SetAllowNavigation(true);
    web.SetFitImage(true);

    TempFolder folder;
    Result<void> saved = SetupWriter().Write(folder.path(), m.settings, m.pages);
    ASSERT_TRUE(saved.ok()) << saved.error();
    // Graph 7: scroll bars, scroll left, scroll top, allow navigation, fit image.
    EXPECT_TRUE(
        HasLine(folder.Read(kSetupFileName), " 7 ;-1 ;Web Screen;file:///srv/notes.html; 0 ;-32768 ; 250 ; 1 ; 1 "));

    RecordingHost host;
    Model back;
    SetupReadResult r = SetupReader(host).Read(folder.path(), back.Targets());
    ASSERT_TRUE(r.ok()) << r.error();
    const WebScreenView read(back.pages.Graph(1, 6));
    EXPECT_TRUE(back.pages.Graph(1, 6).Kind() == SlotKind::WebScreen);
    EXPECT_EQ(read.Address(), "file:///srv/notes.html");
    EXPECT_EQ(read.SavedScroll(), (ScrollPosition{-32768, 250}));
    EXPECT_FALSE(read.ScrollBars());
    EXPECT_TRUE(read.AllowNavigation());
    EXPECT_TRUE(read.FitImage());
    EXPECT_EQ(read.BrowserIndex(), WebScreenView(g).BrowserIndex());
}

TEST(WebScreenSlot, AnyNonZeroSwitchIsOnAndIsSavedAsItWasRead) {
    auto pages = PageSection();
    pages[7] = " 7 ;-1 ;ignored;http://h/a.html; 5 ; 1 ; 2 ;-7 ; 3 ";
    Model m = ReadSample(CrLf(Concat(TopSection(), pages)));
    const WebScreenView web(m.pages.Graph(1, 6));
    EXPECT_TRUE(web.ScrollBars());
    EXPECT_TRUE(web.AllowNavigation());
    EXPECT_TRUE(web.FitImage());
    EXPECT_EQ(web.SavedScroll(), (ScrollPosition{1, 2}));
    EXPECT_TRUE(HasLine(SetupWriter::ComposeSetup(m.settings, m.pages),
                        " 7 ;-1 ;Web Screen;http://h/a.html; 5 ; 1 ; 2 ;-7 ; 3 "));
}
