#include <gtest/gtest.h>

#include "setup/setup_reader.h"
#include "setup_test_support.h"

using namespace tidemark;
using namespace tidemark::test;

namespace {

// Replaces the 1-based field `k` of a ";"-separated line.
std::string ReplaceField(const std::string& line, int k, const std::string& text) {
    std::vector<std::string> f;
    size_t start = 0;
    while (true) {
        size_t at = line.find(';', start);
        f.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    f.at(static_cast<size_t>(k - 1)) = text;
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) out += (i ? ";" : "") + f[i];
    return out;
}

struct FaultRun {
    TempFolder folder;
    RecordingHost host;
    Model model;
    SetupReadResult result = SetupRead{};

    explicit FaultRun(const std::vector<std::string>& lines) {
        folder.Write(kSetupFileName, CrLf(lines));
        result = SetupReader(host).Read(folder.path(), model.Targets());
    }
    std::string Where(int page, int line) const {
        return "\r\nReading setup file " + folder.File(kSetupFileName) + " on page #" + std::to_string(page) +
               ", line#" + std::to_string(line);
    }
    std::string WhereTop(const std::string& lineText) const {
        return "\r\nReading setup file " + folder.File(kSetupFileName) + " top section: " + lineText;
    }
};

struct StrictField {
    size_t pageIndex;  // index into PageSection(); file line = index + 13
    int field;
    const char* name;
    int page;  // page number the message names
};

}  // namespace

TEST(SetupReaderFaults, EveryStrictFieldGivesTheExactLoadingMessage) {
    const StrictField cases[] = {
        // Page line of page 1: the page number is not known yet when its own field fails.
        {0, 1, "Page number", 0},
        {0, 3, "Title font size", 1},
        {0, 4, "Axis font size", 1},
        {0, 5, "Y-axis labels", 1},
        // A 19-field graph line.
        {5, 1, "Graph number", 1},
        {5, 5, "hrmarker", 1},
        {5, 6, "daymarker", 1},
        {5, 7, "logyscale", 1},
        {5, 8, "backcolor", 1},
        {5, 9, "back2color", 1},
        {5, 10, "hrcolor", 1},
        {5, 11, "daycolor", 1},
        {5, 15, "rankcum", 1},
        {5, 16, "freqtype", 1},
        {5, 17, "coeff1", 1},
        {5, 18, "coeff2", 1},
        {5, 19, "coeff3", 1},
        // A 16-field graph line.
        {3, 16, "freqtype", 1},
        // A web screen line.
        {7, 1, "Graph number", 1},
        {7, 5, "hrmarker", 1},
        {7, 6, "daymarker", 1},
        {7, 7, "logyscale", 1},
        {7, 8, "back2color", 1},
        {7, 9, "hrcolor", 1},
        // Lines of page 2.
        {13, 4, "Axis font size", 2},
        {14, 9, "hrcolor", 2},
        {15, 7, "logyscale", 2},
    };
    for (const StrictField& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " on line " + std::to_string(c.pageIndex + 13));
        auto pages = PageSection();
        pages[c.pageIndex] = ReplaceField(pages[c.pageIndex], c.field, "x");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_FALSE(run.result.ok());
        EXPECT_EQ(run.result.fault().kind, SetupFault::Loading);
        std::string expected =
            std::string(c.name) + ": \"x\" is not a number" + run.Where(c.page, static_cast<int>(c.pageIndex) + 13);
        if (c.field >= 17 && c.pageIndex == 5)
            expected = std::string(c.name) + ": \"x\" is not a single-precision number" +
                       run.Where(c.page, static_cast<int>(c.pageIndex) + 13);
        EXPECT_EQ(run.result.error(), expected);
        // Lines after line 16 come after the (missing) frequency file was reported.
        std::vector<std::string> shown{expected};
        if (c.pageIndex > 3) shown.insert(shown.begin(), run.folder.File(kFrequencyFileName) + " not found.");
        EXPECT_EQ(run.host.messages, shown);
    }
}

TEST(SetupReaderFaults, NumbersOutOfRange) {
    {
        auto pages = PageSection();
        pages[1] = ReplaceField(pages[1], 5, " 40000 ");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(), "hrmarker: \" 40000 \" is out of range (-32768 to 32767)" + run.Where(1, 14));
    }
    {
        // The dsid field is lenient for text but an identifier beyond 16 bits is refused
        // rather than saved back as a different series.
        auto pages = PageSection();
        pages[1] = ReplaceField(pages[1], 2, "40000");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(), "dsid: \"40000\" is out of range (-32768 to 32767)" + run.Where(1, 14));
    }
    {
        auto pages = PageSection();
        pages[5] = ReplaceField(pages[5], 17, "1e39");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(), "coeff1: \"1e39\" is not a single-precision number" + run.Where(1, 18));
    }
}

TEST(SetupReaderFaults, PageAndGraphNumbersOutsideTheTables) {
    {
        // Two pages in the file: the tables hold pages 0 to 10.
        auto pages = PageSection();
        pages.insert(pages.begin() + 13, "11;Too far;10;8;0");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(),
                  "Page number 11 is beyond the pages the tables hold (0 to 10)" + run.Where(1, 26));
    }
    {
        auto pages = PageSection();
        pages.insert(pages.begin() + 13, "-1;Negative;10;8;0");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(),
                  "Page number -1 is beyond the pages the tables hold (0 to 10)" + run.Where(1, 26));
    }
    {
        auto pages = PageSection();
        pages[2] = ReplaceField(pages[2], 1, " 13 ");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(), "Graph number 13 is out of range (1 to 12)" + run.Where(1, 15));
    }
    {
        auto pages = PageSection();
        pages[7] = ReplaceField(pages[7], 1, "0");
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(), "Graph number 0 is out of range (1 to 12)" + run.Where(1, 20));
    }
}

TEST(SetupReaderFaults, TopSectionFaultsNameTheLine) {
    {
        auto top = TopSection();
        top.resize(5);
        FaultRun run(top);
        EXPECT_EQ(run.result.error(),
                  "The setup file ends at line 5; its top section needs 10 lines" + run.WhereTop(""));
    }
    {
        auto top = TopSection();
        top[0] = "Days = 99999 ; End Day +0";
        FaultRun run(Concat(top, PageSection()));
        EXPECT_EQ(run.result.error(), "Line 1: Days: \" 99999 ; End Day +0\" is out of range (-32768 to 32767)" +
                                          run.WhereTop("Days = 99999 ; End Day +0"));
    }
    {
        auto top = TopSection();
        top[5] = "Font Names & Pen Widths = Arial, Arial, 3000, 1";
        FaultRun run(Concat(top, PageSection()));
        EXPECT_EQ(run.result.error(), "Line 6: Pen width: \" 3000\" is out of range (-32768 to 32767)" +
                                          run.WhereTop("Font Names & Pen Widths = Arial, Arial, 3000, 1"));
    }
    {
        // A page time the box cannot hold would never page: refused, not clipped.
        auto top = TopSection();
        top[4] = "Auto Paging = True, 1e308";
        FaultRun run(Concat(top, PageSection()));
        EXPECT_EQ(run.result.error(), "Line 5: Page time: \" 1E308\" is out of range (-32768 to 32767)" +
                                          run.WhereTop("Auto Paging = True, 1e308"));
        // Beyond even a double's range: still out of range, not the 0 of text without a number.
        top[4] = "Auto Paging = True, 1e999";
        EXPECT_EQ(FaultRun(Concat(top, PageSection())).result.error().substr(0, 56),
                  "Line 5: Page time: \" 1E999\" is out of range (-32768 to 3");
        top[4] = "Auto Paging = False, 32767";
        EXPECT_TRUE(FaultRun(Concat(top, PageSection())).result.ok());
        top[4] = "Auto Paging = False, soon";  // not a number: 0, as before
        EXPECT_TRUE(FaultRun(Concat(top, PageSection())).result.ok());
    }
    {
        FaultRun run(std::vector<std::string>{"Days = 5", "Plot Unit Values = False"});
        EXPECT_EQ(run.result.error(),
                  "The setup file ends at line 2; its top section needs 10 lines" + run.WhereTop(""));
    }
}

TEST(SetupReaderFaults, AFileWithoutItsEndLineWasCutShort) {
    auto pages = PageSection();
    // Cut inside graph 2 of page 2: what is left of the line has too few fields to be one.
    pages.resize(16);
    pages[15] = " 2 ; 310 , 0 , 7 ;Flow;Ga";
    FaultRun run(Concat(TopSection(), pages));
    EXPECT_FALSE(run.result.ok());
    EXPECT_EQ(run.result.fault().kind, SetupFault::Loading);
    EXPECT_EQ(run.result.error(),
              "The setup file ends at line 28 without its END line; it may have been cut short" + run.Where(2, 28));

    // Nothing below the header at all.
    FaultRun empty(TopSection());
    EXPECT_EQ(empty.result.error(),
              "The setup file ends at line 12 without its END line; it may have been cut short" + empty.Where(0, 12));
}

TEST(SetupReaderFaults, MessagesQuoteAtMostTwoHundredCharactersOfAValue) {
    const std::string longValue = std::string(5000, '7') + "x";
    {
        auto pages = PageSection();
        pages[1] = ReplaceField(pages[1], 5, longValue);
        FaultRun run(Concat(TopSection(), pages));
        EXPECT_EQ(run.result.error(), "hrmarker: \"" + std::string(200, '7') +
                                          "... (5001 characters)\" is not a number" + run.Where(1, 14));
    }
    {
        // The top-section line is quoted too, and so is the value inside the description.
        auto top = TopSection();
        top[0] = "Days = " + std::string(3000, '9') + " ; End Day +0";
        FaultRun run(Concat(top, PageSection()));
        const std::string value = " " + std::string(3000, '9') + " ; End Day +0";
        EXPECT_EQ(run.result.error(),
                  "Line 1: Days: \"" + value.substr(0, 200) + "... (" + std::to_string(value.size()) +
                      " characters)\" is out of range " + "(-32768 to 32767)" +
                      run.WhereTop(top[0].substr(0, 200) + "... (" + std::to_string(top[0].size()) + " characters)"));
    }
}
