#include <gtest/gtest.h>

#include <stdexcept>

#include "core/color.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "setup/setup_reader.h"
#include "setup_test_support.h"

using namespace tidemark;
using namespace tidemark::test;

namespace {

struct ReadRun {
    TempFolder folder;
    RecordingHost host;
    Model model;
    SetupReadResult result = SetupRead{};

    explicit ReadRun(const std::string& text, SetupReaderHooks hooks = {}) {
        folder.Write(kSetupFileName, text);
        result = SetupReader(host, std::move(hooks)).Read(folder.path(), model.Targets());
    }
    std::string SetupPath() const { return folder.File(kSetupFileName); }
};

std::vector<std::string> WithPageSection(const std::vector<std::string>& pageLines) {
    return Concat(TopSection(), pageLines);
}

}  // namespace

TEST(SetupReader, ReadsTopSectionOfTheLongerForm) {
    ReadRun run(SampleSetup());
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const SetupSettings& s = run.model.settings;
    EXPECT_EQ(s.days, 7);
    EXPECT_EQ(s.endday, 0);
    EXPECT_FALSE(s.plotunitvalues);
    EXPECT_TRUE(s.includedailymaxmin);
    EXPECT_FALSE(s.bigcurrentvalue);
    EXPECT_TRUE(s.autopaging);
    EXPECT_EQ(s.pageseconds, " 30");  // untrimmed, as the piece after the comma
    EXPECT_EQ(s.titlefontname, "Arial");
    EXPECT_EQ(s.axisfontname, "Times New Roman");
    EXPECT_EQ(s.penwidth1, 30);
    EXPECT_EQ(s.penwidth2, 45);
    EXPECT_EQ(s.connectionstring, "Provider=SQLite;Data Source=demo.db");
    EXPECT_TRUE(s.startup.present);
    EXPECT_FLOAT_EQ(s.startup.top, 120);
    EXPECT_FLOAT_EQ(s.startup.left, 80);
    EXPECT_FLOAT_EQ(s.startup.width, 1024.5f);
    EXPECT_FLOAT_EQ(s.startup.height, 768);
    EXPECT_EQ(s.startup.state, 0);
    EXPECT_FALSE(s.metricunits);
    EXPECT_FALSE(s.daysisspan);
}

TEST(SetupReader, TopSectionLinesReadLeniently) {
    auto top = TopSection();
    top[0] = "Days =-3 ; End Day +-2";
    top[1] = "plot unit values = true";
    top[4] = "Auto Paging = false, 45 sec, more";
    top[5] = "Font Names & Pen Widths = Arial";  // no widths, no axis font
    top[6] = "Database Connection String=    ";
    top[8] = "Start Up= 1,2,3,4";  // only four pieces: not read
    top[9] = "Metric Units= true";
    ReadRun run(CrLf(Concat(top, PageSection())));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const SetupSettings& s = run.model.settings;
    EXPECT_EQ(s.days, -3);
    EXPECT_EQ(s.endday, -2);
    EXPECT_TRUE(s.plotunitvalues);
    EXPECT_FALSE(s.autopaging);
    EXPECT_EQ(s.pageseconds, " 45 SEC");
    EXPECT_EQ(s.titlefontname, "Arial");
    EXPECT_EQ(s.axisfontname, "");
    EXPECT_EQ(s.penwidth1, 0);
    EXPECT_EQ(s.connectionstring, "");
    EXPECT_FALSE(s.startup.present);
    EXPECT_TRUE(s.metricunits);

    // A file whose days read 0 keeps 0: loading turns it into 7.
    top[0] = "Days = 0 ; End Day +1";
    ReadRun zero(CrLf(Concat(top, PageSection())));
    EXPECT_EQ(zero.model.settings.days, 0);
    EXPECT_EQ(zero.model.settings.endday, 1);
}

TEST(SetupReader, ShorterFormWithoutMetricLine) {
    auto top = TopSection();
    top[9] = "";                  // line 10 without "=": shorter form
    top.erase(top.begin() + 10);  // header on line 11, first page line on line 12
    ReadRun run(CrLf(Concat(top, PageSection())));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    EXPECT_FALSE(run.model.settings.metricunits);
    EXPECT_EQ(run.model.pages.pagecount, 2);
    EXPECT_EQ(run.model.pages.Page(1).title, "Rivers");
    EXPECT_EQ(run.model.pages.Graph(1, 0).dsid, 101);
}

TEST(SetupReader, PagesAndGraphs) {
    ReadRun run(SampleSetup());
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const PageSet& ps = run.model.pages;
    EXPECT_EQ(ps.pagecount, 2);
    EXPECT_EQ(ps.tableroom, 10);
    EXPECT_EQ(ps.pages.size(), 13u);  // flags reach page N + 10

    const PageRec& p1 = ps.Page(1);
    EXPECT_EQ(p1.title, "Rivers");
    EXPECT_EQ(p1.titlefontsize, 10);
    EXPECT_EQ(p1.axisfontsize, 8);
    EXPECT_EQ(p1.yaxislabels, -1);
    EXPECT_FALSE(p1.ftpoff);
    EXPECT_FALSE(p1.unitsoff);
    EXPECT_EQ(p1.lastslot, 7);  // its highest graph in use; the empty lines after it do not count
    EXPECT_TRUE(ps.Page(2).ftpoff);
    EXPECT_TRUE(ps.Page(2).unitsoff);

    const GraphDef& g = p1.slots[0];
    EXPECT_EQ(g.page, 1);
    EXPECT_EQ(g.slot, 0);
    EXPECT_EQ(g.dsid, 101);
    EXPECT_EQ(g.parametername, "Stage");
    EXPECT_EQ(g.stationname, "Creek at Mill");
    EXPECT_EQ(g.daymarker, 1);
    EXPECT_EQ(g.backcolor, 16777215);
    EXPECT_EQ(g.hrcolor, 255);
    EXPECT_DOUBLE_EQ(g.highwatch, 12.5);
    EXPECT_DOUBLE_EQ(g.lowwatch, 3.25);
    EXPECT_EQ(g.watchcount, 2);
    EXPECT_EQ(g.hasdsid2, 0);
    EXPECT_EQ(g.freqtype, FreqType::Plain);

    const GraphDef& weir = p1.slots[4];
    EXPECT_EQ(weir.logyscale, -1);
    EXPECT_DOUBLE_EQ(weir.lowwatch, -1.5);
    EXPECT_EQ(weir.watchcount, -3);
    EXPECT_EQ(weir.freqtype, FreqType::LogProbability);
    EXPECT_FLOAT_EQ(weir.coeff1, 0.5f);
    EXPECT_FLOAT_EQ(weir.coeff2, -2.25f);
    EXPECT_FLOAT_EQ(weir.coeff3, 1e-7f);
    EXPECT_EQ(p1.slots[2].rankcum, 2);
    EXPECT_EQ(p1.slots[2].freqtype, FreqType::Recurrence);
    EXPECT_EQ(p1.slots[3].freqtype, FreqType::ModelError);
    EXPECT_TRUE(p1.slots[5].Kind() == SlotKind::Empty);
}

TEST(SetupReader, DsidFieldForms) {
    ReadRun run(SampleSetup());
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const PageSet& ps = run.model.pages;
    const PageRec& p1 = ps.Page(1);
    // 101,205: a second series in slot + 12.
    EXPECT_EQ(p1.slots[1].dsid, 101);
    EXPECT_EQ(p1.slots[1].hasdsid2, -1);
    EXPECT_EQ(p1.slots[13].dsid, 205);
    EXPECT_EQ(p1.runsuffix[1], "");
    // 102,206,3: a run number.
    EXPECT_EQ(p1.slots[14].dsid, 206);
    EXPECT_EQ(p1.runnumber[2], 3);
    EXPECT_EQ(p1.runsuffix[2], ",RUN");
    // 103,RUN: no second series.
    EXPECT_EQ(p1.slots[3].dsid, 103);
    EXPECT_EQ(p1.slots[3].hasdsid2, -1);
    EXPECT_EQ(p1.slots[15].dsid, 0);
    EXPECT_EQ(p1.runsuffix[3], ",RUN");
    EXPECT_EQ(p1.runnumber[3], 0);
    // 104,ALERT and 105,RUN,ALERT: the alert table holds their dsids.
    EXPECT_EQ(p1.runsuffix[4], ",ALERT");
    EXPECT_EQ(p1.runsuffix[7], ",RUN,ALERT");
    ASSERT_TRUE(ps.HasAlertTable());
    EXPECT_EQ(ps.alerts[1][4].dsid, 104);
    EXPECT_EQ(ps.alerts[1][7].dsid, 105);
    EXPECT_EQ(ps.alerts[1][0].dsid, 0);
    // 310,0,7: run number behind a zero second identifier.
    EXPECT_EQ(ps.Page(2).slots[1].dsid, 310);
    EXPECT_EQ(ps.Page(2).slots[13].dsid, 0);
    EXPECT_EQ(ps.Page(2).runnumber[1], 7);
    // A switched-off graph's name already carries "OFF " once.
    EXPECT_EQ(p1.slots[1].stationname, "OFF Creek");
}

TEST(SetupReader, SwitchedOffGraphGetsOffPrefixOnce) {
    auto pages = PageSection();
    pages[2] = " 2 ; 101 ;Flow;Creek; 1 ; 1 ; 0 ; 16777215 ; 65535 ; 255 ; 255 ; 0 ; 0 ; 0 ;-1 ";
    pages[3] = " 3 ; 101 ;Flow;off Creek; 1 ; 1 ; 0 ; 16777215 ; 65535 ; 255 ; 255 ; 0 ; 0 ; 0 ;-1 ";
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    EXPECT_EQ(run.model.pages.Graph(1, 1).stationname, "OFF Creek");
    EXPECT_EQ(run.model.pages.Graph(1, 2).stationname, "OFF off Creek");  // the test is case-sensitive
}

TEST(SetupReader, WebScreensGetBrowserIndicesAndCatalogueEntries) {
    ReadRun run(SampleSetup());
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const PageSet& ps = run.model.pages;
    const GraphDef& w1 = ps.Graph(1, 6);
    EXPECT_TRUE(w1.Kind() == SlotKind::WebScreen);
    EXPECT_EQ(w1.parametername, "Web Screen");
    EXPECT_EQ(w1.stationname, "https://example.org/river.html");
    EXPECT_EQ(w1.hrmarker, 1);
    EXPECT_EQ(w1.daymarker, 40);
    EXPECT_EQ(w1.logyscale, 300);
    EXPECT_EQ(w1.back2color, 1);
    EXPECT_EQ(w1.hrcolor, 0);
    EXPECT_EQ(w1.backcolor, 0);
    EXPECT_EQ(ps.Graph(2, 0).backcolor, 1);
    EXPECT_EQ(ps.Graph(2, 5).backcolor, 2);
    EXPECT_EQ(ps.webscreencount, 3);

    const SiteCatalogue& c = run.model.catalogue;
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Entry(1), (SiteEntry{-1, "https://example.org/river.html", 0, "Web Screen", "", "1", "0"}));
    EXPECT_EQ(c.Entry(2).sitename, "file:///srv/report.pdf");
    EXPECT_EQ(c.Entry(2).fitimage, "1");
    EXPECT_EQ(c.Entry(3).allownavigation, "1");
}

TEST(SetupReader, WebScreenLineWithEightFieldsAndAnyDsid) {
    auto pages = PageSection();
    pages[7] = " 7 ; 55 ;ignored;http://x/a.html; 0 ; 5 ; 6 ; 1";
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const GraphDef& w = run.model.pages.Graph(1, 6);
    EXPECT_EQ(w.dsid, -1);
    EXPECT_EQ(w.parametername, "Web Screen");
    EXPECT_EQ(w.hrcolor, 0);
    EXPECT_EQ(w.logyscale, 6);
}

TEST(SetupReader, LineClassificationByFieldCount) {
    std::vector<std::string> pages = {
        "1;Rivers;10;8;-1;;;",                         // trailing ";" removed: a page line
        "1;101;a;b;0;1;0;1;2;3;4",                     // 11 fields: ignored
        "2;102;a;b;0;1;0;1;2;3;4;5",                   // 12 fields: ignored
        "3;103;a;b;0;1;0;1;2;3;4;5;6",                 // 13 fields: no watchcount
        "4;104;a;b;0;1;0;1;2;3;4;5;6;7;-1",            // 15: rankcum, no freqtype
        "5;105;a;b;0;1;0;1;2;3;4;5;6;7;-1;2;0.5",      // 17: no freqtype
        "6;106;a;b;0;1;0;1;2;3;4;5;6;7;-1;2;0.5;1",    // 18: no freqtype
        "7;107;a;b;0;1;0;1;2;3;4;5;6;7;-1;2;0.5;1;2",  // 19: freqtype and coefficients
        "8;108;a;b;0;1;0;1;2;3;4;5;6;7;2;3;;;",        // 16 after the trailing ";" go
        "just a note",                                 // 1 field: ignored
        "9;109;a;b;0;1;0;1;2;3;4;5;6;7;0;0;0;0;0;0",   // 20 fields: a graph line
        "END",
        "2;Never;10;8;-1",  // after END: not read
    };
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const PageSet& ps = run.model.pages;
    EXPECT_EQ(ps.pagecount, 1);
    EXPECT_EQ(ps.Page(1).title, "Rivers");
    EXPECT_TRUE(ps.Graph(1, 0).Kind() == SlotKind::Empty);
    EXPECT_TRUE(ps.Graph(1, 1).Kind() == SlotKind::Empty);
    EXPECT_EQ(ps.Graph(1, 2).dsid, 103);
    EXPECT_EQ(ps.Graph(1, 2).watchcount, 0);
    EXPECT_DOUBLE_EQ(ps.Graph(1, 2).lowwatch, 6);
    EXPECT_EQ(ps.Graph(1, 3).rankcum, -1);
    EXPECT_EQ(ps.Graph(1, 3).freqtype, FreqType::Plain);
    EXPECT_EQ(ps.Graph(1, 4).freqtype, FreqType::Plain);
    EXPECT_EQ(ps.Graph(1, 5).freqtype, FreqType::Plain);
    EXPECT_EQ(ps.Graph(1, 6).freqtype, FreqType::Probability);
    EXPECT_FLOAT_EQ(ps.Graph(1, 6).coeff3, 2);
    EXPECT_EQ(ps.Graph(1, 7).freqtype, FreqType::ModelError);
    EXPECT_EQ(ps.Graph(1, 8).dsid, 109);
    EXPECT_EQ(ps.Page(1).lastslot, 8);
    EXPECT_EQ(ps.Page(2).title, "");
}

TEST(SetupReader, LenientFieldsGiveZeroAndLastPageLineSetsCount) {
    std::vector<std::string> pages = {
        "3;Third;10;8;0",
        "1;abc;a;b;0;1;0;1;2;3;4;high;low;many",
        "2;Second;10;8;0",
        "END",
    };
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    const PageSet& ps = run.model.pages;
    EXPECT_EQ(ps.pagecount, 2);  // the page number of the last page line
    EXPECT_EQ(ps.tableroom, 10);
    EXPECT_EQ(ps.Page(3).title, "Third");
    const GraphDef& g = ps.Graph(3, 0);
    EXPECT_EQ(g.dsid, 0);
    EXPECT_EQ(g.highwatch, 0);
    EXPECT_EQ(g.lowwatch, 0);
    EXPECT_EQ(g.watchcount, 0);
}

TEST(SetupReader, MissingFileIsReportedAndFatal) {
    TempFolder folder;
    RecordingHost host;
    Model model;
    SetupReadResult r = SetupReader(host).Read(folder.path(), model.Targets());
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.fault().kind, SetupFault::NotFound);
    std::string expected = "Setup file not found!  " + folder.File(kSetupFileName);
    EXPECT_EQ(r.error(), expected);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], expected);
}

TEST(SetupReader, TabsAreReplacedAndTheFileWrittenBack) {
    std::string text = SampleSetup();
    std::string tabbed = text;
    // The page line and one graph line with TABs in place of ";".
    size_t at = tabbed.find(" 1 ;Rivers;");
    tabbed.replace(at, 11, " 1 \tRivers\t");
    ReadRun run(tabbed);
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    ASSERT_FALSE(run.host.messages.empty());
    EXPECT_EQ(run.host.messages[0], "Tidemark_setup.txt will be re-saved with out Tabs");
    EXPECT_EQ(run.folder.Read(kSetupFileName), text);
    EXPECT_EQ(run.model.pages.Page(1).title, "Rivers");
    EXPECT_EQ(run.folder.FileCount(), 1);  // no temporary file left
}

TEST(SetupReader, HookRunsBetweenTheSectionsAndWebScreensFollowItsEntries) {
    bool called = false;
    SetupReaderHooks hooks;
    PageSet* pagesSeen = nullptr;
    hooks.afterTopSection = [&](SetupSettings& s, SiteCatalogue& c) -> Result<void> {
        called = true;
        EXPECT_EQ(s.connectionstring, "Provider=SQLite;Data Source=demo.db");
        EXPECT_TRUE(s.metricunits == false && s.startup.present);
        EXPECT_EQ(pagesSeen->Page(1).title, "");  // page section not read yet
        s.connectionstring += ";completed";
        s.quotedates = true;
        c.Append(SiteEntry{101, "Creek at Mill", 1, "Stage", "ft", "", ""});
        return {};
    };
    TempFolder folder;
    folder.Write(kSetupFileName, SampleSetup());
    RecordingHost host;
    Model model;
    pagesSeen = &model.pages;
    SetupReadResult r = SetupReader(host, hooks).Read(folder.path(), model.Targets());
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_TRUE(called);
    EXPECT_EQ(model.settings.connectionstring, "Provider=SQLite;Data Source=demo.db;completed");
    EXPECT_TRUE(model.settings.quotedates);
    ASSERT_EQ(model.catalogue.Count(), 4);
    EXPECT_EQ(model.catalogue.Entry(1).sitename, "Creek at Mill");
    EXPECT_EQ(model.catalogue.Entry(2).datatypename, "Web Screen");
}

TEST(SetupReader, HookFailureGivesTheConnectionMessage) {
    SetupReaderHooks hooks;
    hooks.afterTopSection = [](SetupSettings&, SiteCatalogue&) -> Result<void> {
        return Fault{"unable to open database file"};
    };
    ReadRun run(SampleSetup(), hooks);
    EXPECT_FALSE(run.result.ok());
    EXPECT_EQ(run.result.fault().kind, SetupFault::Catalogue);
    // A hook that throws is reported the same way.
    hooks.afterTopSection = [](SetupSettings&, SiteCatalogue&) -> Result<void> {
        throw std::runtime_error("no such table: rsite");
    };
    ReadRun thrown(SampleSetup(), hooks);
    EXPECT_EQ(thrown.result.fault().kind, SetupFault::Catalogue);
    EXPECT_EQ(thrown.result.error().substr(0, 24), "no such table: rsite\r\n\r\n");
    std::string expected =
        "unable to open database file\r\n\r\n"
        "Use a text editor to edit Database Connection String in Tidemark_setup.txt (maybe " +
        run.folder.path();
    EXPECT_EQ(run.result.error(), expected);
    EXPECT_EQ(run.host.messages, std::vector<std::string>{expected});
}

TEST(SetupReader, MissingFrequencyFileIsShownOnceAndReadingGoesOn) {
    auto pages = PageSection();
    // A second 16-field line with a negative freqtype does not try again.
    pages[10] = " 10 ; 120 ;Rain;Hill; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ;-2 ";
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    std::string expected = run.folder.File(kFrequencyFileName) + " not found.";
    EXPECT_EQ(run.host.messages, std::vector<std::string>{expected});
    EXPECT_EQ(run.model.pages.Graph(1, 9).freqtype, FreqType::DepthDuration);
    EXPECT_TRUE(run.model.frequency.Empty());
}

TEST(SetupReader, FrequencyTableIsLoadedAtTheFirstNegativeFreqtype) {
    TempFolder folder;
    folder.Write(kFrequencyFileName,
                 "Duration\t1\t2\t5\t10\t25\t50\t100\t200\t500\t1000\r\n"
                 "5m\t0.3\t0.4\t0.5\t0.6\t0.7\t0.8\t0.9\t1\t1.1\t1.2\r\n"
                 "1h\t0.9\t1.2\t1.5\t1.8\t2.1\t2.4\t2.7\t3\t3.3\t3.6\r\n");
    folder.Write(kSetupFileName, SampleSetup());
    RecordingHost host;
    Model model;
    SetupReadResult r = SetupReader(host).Read(folder.path(), model.Targets());
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(model.frequency.rows, 2);

    // A file without a negative freqtype on a 16-field line leaves the table alone.
    auto pages = PageSection();
    pages[3] = " 3 ; 102 ;Rain;Hill; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 2 ;-1 ; 1 ; 2 ; 3 ";
    folder.Write(kSetupFileName, CrLf(WithPageSection(pages)));
    Model other;
    ASSERT_TRUE(SetupReader(host).Read(folder.path(), other.Targets()).ok());
    EXPECT_TRUE(other.frequency.Empty());
}

TEST(SetupReader, InvalidFrequencyFileIsALoadingFault) {
    TempFolder folder;
    folder.Write(kFrequencyFileName, "Duration\t1\t2\r\n5m\t0.3\t0.4\t0.5\t0.6\r\n");
    folder.Write(kSetupFileName, SampleSetup());
    RecordingHost host;
    Model model;
    SetupReadResult r = SetupReader(host).Read(folder.path(), model.Targets());
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.fault().kind, SetupFault::Loading);
    EXPECT_NE(r.error().find("\r\nReading setup file " + folder.File(kSetupFileName) + " on page #1, line#16"),
              std::string::npos)
        << r.error();
}

TEST(SetupReader, FilesThatCannotBeSetupFilesAreToldForWhatTheyAreAndLeftAlone) {
    TempFolder folder;
    std::string sample = SampleSetup();
    struct Case {
        std::string bytes;
        std::string told;
    };
    std::string binary = "Days = 5\r\n";
    for (int i = 0; i < 200; ++i) binary += static_cast<char>(i % 7 == 0 ? 1 : 'x');
    const Case cases[] = {
        {"Days\t= 5\r\n" + std::string("\0abc", 4) + sample, "holds a NUL byte on line 2 (byte 11)"},
        {binary + "\x02\x03\x04\x05\x06\x07\x08\x0b\x0c\x0e\x0f\x10\x11", "are control characters"},
        {"Days = " + std::string(70000, '9') + "\r\n" + sample, "Line 1 of the setup file is longer than 65536"},
        {" \t \r\n\r\n  ", "holds only blanks and empty lines"},
        {"", "The setup file is empty"},
    };
    for (const Case& c : cases) {
        folder.Write(kSetupFileName, c.bytes);
        RecordingHost host;
        Model model;
        SetupReadResult r = SetupReader(host).Read(folder.path(), model.Targets());
        EXPECT_FALSE(r.ok());
        EXPECT_NE(r.error().find(c.told), std::string::npos) << r.error();
        // Not written back with its TABs replaced: the file stays as the user has it.
        EXPECT_EQ(ReadFileBytes(folder.File(kSetupFileName)).value_or("?"), c.bytes);
    }

    // Line ends of CR alone are line ends.
    std::string crOnly = ReplaceAll(sample, "\r\n", "\r");
    folder.Write(kSetupFileName, crOnly);
    RecordingHost host;
    Model model;
    SetupReadResult r = SetupReader(host).Read(folder.path(), model.Targets());
    EXPECT_TRUE(r.ok()) << r.error();
    EXPECT_GE(model.pages.pagecount, 1);
}

TEST(SetupReader, RepeatedPagesAndGraphsAndPageZeroLoadAndAreToldOnceWithTheirLines) {
    std::vector<std::string> pages = {
        "1;101;a;Before;0;1;0;1;2;3;4;0;0",  // line 13: before any page line
        "1;Rivers;10;8;-1",                  // 14
        "1;102;a;First;0;1;0;1;2;3;4;0;0",   // 15
        "2;103;a;Second;0;1;0;1;2;3;4;0;0",  // 16
        "1;104;a;Again;0;1;0;1;2;3;4;0;0",   // 17: graph 1 of page 1 again
        "0;Nowhere;10;8;-1",                 // 18
        "1;Lakes;12;9;0",                    // 19: page 1 again
        "3;105;a;Third;0;1;0;1;2;3;4;0;0",   // 20: a new block, no repeat
        "END",
    };
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    // They load as they always did: the later line counts.
    const PageSet& ps = run.model.pages;
    EXPECT_EQ(ps.pagecount, 1);
    EXPECT_EQ(ps.Page(1).title, "Lakes");
    EXPECT_EQ(ps.Graph(1, 0).stationname, "Again");
    EXPECT_EQ(ps.Graph(1, 1).stationname, "Second");
    EXPECT_EQ(ps.Graph(1, 2).stationname, "Third");
    EXPECT_EQ(ps.Graph(0, 0).stationname, "Before");
    ASSERT_EQ(run.host.messages.size(), 1u);
    EXPECT_EQ(run.host.messages[0],
              "Reading setup file " + run.folder.File(kSetupFileName) +
                  ": these lines load, but probably not as meant:\r\n"
                  "Line 13: a graph line before the first page line belongs to page 0, which is never shown\r\n"
                  "Line 17: graph 1 of page 1 is defined again (first on line 15); this line counts\r\n"
                  "Line 18: page 0 is never shown; pages count from 1\r\n"
                  "Line 19: page 1 is defined again (first on line 14)");
}

TEST(SetupReader, ManyRepeatedLinesGiveOneShortMessage) {
    std::vector<std::string> pages = {"1;Rivers;10;8;-1"};
    for (int i = 0; i < 500; ++i) pages.push_back("1;101;a;b;0;1;0;1;2;3;4;0;0");
    pages.push_back("END");
    ReadRun run(CrLf(WithPageSection(pages)));
    ASSERT_TRUE(run.result.ok()) << run.result.error();
    ASSERT_EQ(run.host.messages.size(), 1u);
    const std::string& told = run.host.messages[0];
    EXPECT_NE(told.find("Line 24: graph 1 of page 1 is defined again (first on line 14)"), std::string::npos);
    EXPECT_EQ(told.find("Line 25:"), std::string::npos);
    EXPECT_TRUE(told.ends_with("\r\n... and 489 more")) << told.substr(told.size() - 40);
}
