#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/color.h"
#include "core/vbtext.h"
#include "setup/setup_writer.h"
#include "setup_test_support.h"

using namespace tidemark;
using namespace tidemark::test;

namespace {

Model ReadOk(const TempFolder& folder) {
    RecordingHost host;
    Model m;
    SetupReadResult r = SetupReader(host).Read(folder.path(), m.Targets());
    EXPECT_TRUE(r.ok()) << r.error();
    return m;
}

std::vector<std::string> LinesOf(const std::string& text) { return SplitLines(text); }

// A model with `count` pages titled A, B, C ... and one graph on slot 0 of each.
Model SmallModel(int count) {
    Model m;
    SizePageSet(m.pages, count);
    for (int p = 1; p <= count; ++p) {
        PageRec& rec = m.pages.Page(p);
        rec.title = std::string(1, static_cast<char>('A' + p - 1));
        rec.titlefontsize = 10;
        rec.axisfontsize = 8;
        GraphDef& g = rec.slots[0];
        g.dsid = static_cast<int16_t>(100 + p);
        g.parametername = "Stage";
        g.stationname = "Site " + std::to_string(p);
    }
    return m;
}

class FixedScroll : public WebScrollSource {
public:
    std::map<int, ScrollPosition> positions;
    std::vector<int> asked;
    std::optional<ScrollPosition> CurrentScroll(int browserIndex) override {
        asked.push_back(browserIndex);
        auto it = positions.find(browserIndex);
        if (it == positions.end()) return std::nullopt;
        return it->second;
    }
};

}  // namespace

TEST(SetupWriter, HandWrittenFileIsWrittenBackByteForByte) {
    TempFolder folder;
    folder.Write(kSetupFileName, SampleSetup());
    Model m = ReadOk(folder);
    Result<void> r = SetupWriter().Write(folder.path(), m.settings, m.pages);
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_EQ(folder.Read(kSetupFileName), SampleSetup());
    EXPECT_EQ(folder.Read(kSetupBackupFileName), SampleSetup());
    EXPECT_EQ(folder.Read(kOnOffFileName), "101,\"Flow\",\"OFF Creek\"\r\n");
    EXPECT_EQ(folder.FileCount(), 3);  // no temporary file left
}

TEST(SetupWriter, ShorterFormIsWrittenInTheLongerForm) {
    auto top = TopSection();
    top[9] = "";
    top.erase(top.begin() + 10);
    TempFolder folder;
    std::string shortForm = CrLf(Concat(top, PageSection()));
    folder.Write(kSetupFileName, shortForm);
    Model m = ReadOk(folder);
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    EXPECT_EQ(folder.Read(kSetupFileName), SampleSetup());
    EXPECT_EQ(folder.Read(kSetupBackupFileName), shortForm);
}

TEST(SetupWriter, TopSectionLayout) {
    Model m = SmallModel(1);
    SetupSettings& s = m.settings;
    s.days = 10;
    s.endday = 3;
    s.daysisspan = true;  // loading has added endday
    s.autopaging = true;
    s.pageseconds = " 30 ";
    s.titlefontname = "Arial";
    s.axisfontname = "Arial Narrow";
    s.penwidth1 = 44;  // 2.93 pixels: the whole part is written
    s.penwidth2 = -1;
    s.connectionstring = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/Ledgerly/LedgerlyHDB.mdb;";
    s.startup = StartupPosition{-4, 0.5f, 1920, 1050, 2, true};
    s.metricunits = true;
    auto lines = LinesOf(SetupWriter::ComposeSetup(s, m.pages));
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(lines[0], "Days = 7 ; End Day +3");
    EXPECT_EQ(lines[1], "Plot Unit Values = False");
    EXPECT_EQ(lines[4], "Auto Paging = True, 30");
    EXPECT_EQ(lines[5], "Font Names & Pen Widths = Arial, Arial Narrow,  2 , -1 ");
    EXPECT_EQ(lines[6], "Database Connection String= " + s.connectionstring);
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "Start Up= -4 , .5 , 1920 , 1050 , 2 ");
    EXPECT_EQ(lines[9], "Metric Units=True");
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11],
              "Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; logyscale; "
              "backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; rank-1/cumulative2; freq "
              "type -1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3");
    EXPECT_EQ(lines[12], " 1 ;A; 10 ; 8 ; 0 ;FTP_ON;UNITS_ON");

    s.daysisspan = false;
    s.days = 5;
    s.endday = -2;
    EXPECT_EQ(LinesOf(SetupWriter::ComposeSetup(s, m.pages))[0], "Days = 5 ; End Day +-2");
}

TEST(SetupWriter, EveryPageHasTwelveGraphLinesAndEndsWithEnd) {
    Model m = SmallModel(2);
    // A deleted graph keeps its old texts in memory; its line is written empty.
    GraphDef& deleted = m.pages.Graph(2, 3);
    deleted.stationname = "Old";
    deleted.back2color = kSwitchedOffColor;
    auto lines = LinesOf(SetupWriter::ComposeSetup(m.settings, m.pages));
    ASSERT_EQ(lines.size(), 12u + 2 * 13 + 1);
    EXPECT_EQ(lines[13], " 1 ; 101 ;Stage;Site 1; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ");
    EXPECT_EQ(lines[24], " 12 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ");
    EXPECT_EQ(lines[25], " 2 ;B; 10 ; 8 ; 0 ;FTP_ON;UNITS_ON");
    EXPECT_EQ(lines[29], " 4 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ");
    EXPECT_EQ(lines.back(), "END");
    EXPECT_EQ(SetupWriter::ComposeOnOff(m.pages), "");
}

TEST(SetupWriter, FreqTypesWithoutAMeaningAreWrittenBackAsRead) {
    Model m = SmallModel(3);
    m.pages.Graph(1, 0).freqtype = static_cast<FreqType>(5);
    m.pages.Graph(2, 0).freqtype = static_cast<FreqType>(-32768);
    m.pages.Graph(3, 0).freqtype = FreqType::ColorBand;
    m.pages.Graph(3, 0).coeff3 = 18;
    auto lines = LinesOf(SetupWriter::ComposeSetup(m.settings, m.pages));
    EXPECT_EQ(lines[13], " 1 ; 101 ;Stage;Site 1; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 5 ");
    EXPECT_EQ(lines[26], " 1 ; 102 ;Stage;Site 2; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ;-32768 ");
    EXPECT_EQ(lines[39], " 1 ; 103 ;Stage;Site 3; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 4 ; 0 ; 0 ; 18 ");

    TempFolder folder;
    folder.Write(kSetupFileName, SetupWriter::ComposeSetup(m.settings, m.pages));
    Model back = ReadOk(folder);
    EXPECT_EQ(FreqCode(back.pages.Graph(1, 0).freqtype), 5);
    EXPECT_EQ(FreqCode(back.pages.Graph(2, 0).freqtype), -32768);
    EXPECT_EQ(back.pages.Graph(3, 0).freqtype, FreqType::ColorBand);
}

TEST(SetupWriter, RemovedPagesAreDroppedAndTheRestRenumbered) {
    TempFolder folder;
    Model m = SmallModel(3);
    m.pages.Page(2).removed = true;
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    Model back = ReadOk(folder);
    EXPECT_EQ(back.pages.pagecount, 2);
    EXPECT_EQ(back.pages.Page(1).title, "A");
    EXPECT_EQ(back.pages.Page(2).title, "C");
    EXPECT_EQ(back.pages.Graph(2, 0).dsid, 103);
    EXPECT_EQ(back.pages.Graph(2, 0).page, 2);
    // The model in memory keeps its numbering.
    EXPECT_TRUE(m.pages.Page(2).removed);
    EXPECT_EQ(m.pages.Page(3).title, "C");

    // Every page removed: page 1 comes back.
    for (int p = 1; p <= 3; ++p) m.pages.Page(p).removed = true;
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    EXPECT_FALSE(m.pages.Page(1).removed);
    Model one = ReadOk(folder);
    EXPECT_EQ(one.pages.pagecount, 1);
    EXPECT_EQ(one.pages.Page(1).title, "A");
}

TEST(SetupWriter, OnOffListFollowsSwitchedOffGraphsAndIsDeletedWhenNoneIsOff) {
    TempFolder folder;
    Model m = SmallModel(3);
    m.pages.Graph(3, 0).back2color = kSwitchedOffColor;
    m.pages.Graph(3, 0).stationname = "OFF Site 3";
    GraphDef& second = m.pages.Graph(1, 5);
    second = m.pages.Graph(1, 0);
    second.dsid = 77;
    second.parametername = "Flow";
    second.back2color = kSwitchedOffColor;
    m.pages.Graph(2, 0).back2color = kSwitchedOffColor;
    m.pages.Page(2).removed = true;  // not written, so not listed either
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    EXPECT_EQ(folder.Read(kOnOffFileName), "77,\"Flow\",\"Site 1\"\r\n103,\"Stage\",\"OFF Site 3\"\r\n");

    for (int p = 1; p <= 3; ++p)
        for (auto& g : m.pages.Page(p).slots) g.back2color = 0;
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    EXPECT_FALSE(folder.Exists(kOnOffFileName));
}

TEST(SetupWriter, PreviousFileBecomesTheBackup) {
    TempFolder folder;
    folder.Write(kSetupBackupFileName, "an old backup\r\n");
    Model m = SmallModel(1);
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    std::string first = folder.Read(kSetupFileName);
    EXPECT_EQ(folder.Read(kSetupBackupFileName), "an old backup\r\n");  // no setup file before

    m.pages.Page(1).title = "Renamed";
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    EXPECT_EQ(folder.Read(kSetupBackupFileName), first);
    EXPECT_NE(folder.Read(kSetupFileName).find(" 1 ;Renamed;"), std::string::npos);
    EXPECT_EQ(folder.FileCount(), 2);
}

TEST(SetupWriter, FailedSaveLeavesTheSetupFileAsItWas) {
    TempFolder folder;
    folder.Write(kSetupFileName, SampleSetup());
    // A folder where the backup should go makes the save fail before the swap.
    std::filesystem::create_directory(folder.File(kSetupBackupFileName));
    Model m = SmallModel(1);
    Result<void> r = SetupWriter().Write(folder.path(), m.settings, m.pages);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.error().empty());
    EXPECT_EQ(folder.Read(kSetupFileName), SampleSetup());
    EXPECT_EQ(folder.FileCount(), 2);  // no temporary file left

    // A folder that does not exist: nothing is written, with a message.
    Result<void> missing = SetupWriter().Write(folder.File("nowhere/"), m.settings, m.pages);
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error().empty());
}

TEST(SetupWriter, WebScreensTakeTheirBrowsersScrollPositions) {
    Model m = SmallModel(2);
    auto web = [&](int page, int slot, const std::string& address, int browser) -> GraphDef& {
        GraphDef& g = m.pages.Graph(page, slot);
        g = GraphDef{};
        g.dsid = -1;
        g.parametername = "Web Screen";
        g.stationname = address;
        g.backcolor = browser;
        g.daymarker = 11;
        g.logyscale = 22;
        return g;
    };
    GraphDef& html = web(1, 1, "http://host/page.html", 0);
    GraphDef& pdf = web(1, 2, "http://host/Report.PDF ", 1);
    GraphDef& xls = web(2, 3, "file:///data/book.xlsx", 2);
    GraphDef& unknown = web(2, 4, "http://host/other", 3);
    FixedScroll scroll;
    scroll.positions[0] = ScrollPosition{15, 90000};
    scroll.positions[1] = ScrollPosition{5, 5};
    SetupWriter(&scroll).PrepareForSave(m.pages);
    EXPECT_EQ(html.daymarker, 15);
    EXPECT_EQ(html.logyscale, 32767);  // clamped to the 16-bit field
    EXPECT_EQ(pdf.daymarker, 0);
    EXPECT_EQ(pdf.logyscale, 0);
    EXPECT_EQ(xls.daymarker, 0);
    EXPECT_EQ(unknown.daymarker, 11);  // no position from the browser: stored one kept
    EXPECT_EQ(scroll.asked, (std::vector<int>{0, 3}));

    auto lines = LinesOf(SetupWriter::ComposeSetup(m.settings, m.pages));
    EXPECT_EQ(lines[14], " 2 ;-1 ;Web Screen;http://host/page.html; 0 ; 15 ; 32767 ; 0 ; 0 ");
    EXPECT_EQ(lines[15], " 3 ;-1 ;Web Screen;http://host/Report.PDF ; 0 ; 0 ; 0 ; 0 ; 0 ");
}

TEST(SetupWriter, TextsCannotBreakTheLayout) {
    TempFolder folder;
    Model m = SmallModel(1);
    m.pages.Page(1).title = "Rivers; lakes";
    m.pages.Graph(1, 0).parametername = "Stage;ft";
    m.pages.Graph(1, 0).stationname = "Creek\r\nat Mill\t";
    m.settings.titlefontname = "Arial\r\n";
    ASSERT_TRUE(SetupWriter().Write(folder.path(), m.settings, m.pages).ok());
    Model back = ReadOk(folder);
    EXPECT_EQ(back.pages.Page(1).title, "Rivers, lakes");
    EXPECT_EQ(back.pages.Graph(1, 0).parametername, "Stage,ft");
    EXPECT_EQ(back.pages.Graph(1, 0).stationname, "Creek  at Mill ");
    EXPECT_EQ(back.settings.titlefontname, "Arial");
    EXPECT_EQ(back.pages.Graph(1, 0).hrmarker, 0);
}
