// Setup editing through the real window: the setup frame opened from the graph menu,
// each option of the save command, the written file read back, a save that fails, and
// the frame's buttons for the setup file and the companion loader.
#include "window_fixture.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <filesystem>

#include "app/menu_list.h"
#include "app/setup_frame.h"
#include "app/web_screens.h"
#include "core/textfile.h"
#include "devices/ui/chart_view.h"
#include "setup/setup_reader.h"
#include "setup/web_screen_slot.h"
#include "support/recording_host.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

class SetupEditTest : public WindowTest {
protected:
    // The setup frame of `slot` on the current page, as the graph menu opens it.
    SetupFrame* OpenFrame(int slot) {
        window_->ChartClicked(slot, Qt::RightButton, {}, 300, 900);
        window_->GraphMenu()->Choose("Setup");
        return window_->Setup();
    }
    // Ticks `option` in the frame of `slot`, lets `fill` change the boxes, and saves.
    void Run(int slot, SetupOption option, const std::function<void(SetupFrame&)>& fill = {}) {
        SetupFrame* frame = OpenFrame(slot);
        ASSERT_TRUE(frame->isVisible());
        frame->Select(option);
        if (fill) fill(*frame);
        QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    }
    static void Graph(SetupFrame& frame, const QString& dsid, const QString& station) {
        frame.Dsid()->setText(dsid);
        frame.StationName()->setText(station);
    }
    std::string SetupFile() const { return ReadFileBytes(db_.Folder() + "Tidemark_setup.txt").value_or(""); }
    void GoToPage(int page) {
        while (state_.currentpage != page) window_->Pager().NextPage();
    }
};

// The lines of `text` without those from `first` (0-based) for `count` lines.
std::string WithoutLines(const std::string& text, size_t first, size_t count) {
    std::string out;
    size_t line = 0, pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        end = end == std::string::npos ? text.size() : end + 2;
        if (line < first || line >= first + count) out += text.substr(pos, end - pos);
        pos = end;
        ++line;
    }
    return out;
}

size_t LineOf(const std::string& text, const std::string& start) {
    size_t line = 0, pos = 0;
    while (pos < text.size()) {
        if (text.compare(pos, start.size(), start) == 0) return line;
        pos = text.find("\r\n", pos);
        if (pos == std::string::npos) break;
        pos += 2;
        ++line;
    }
    return std::string::npos;
}

}  // namespace

TEST_F(SetupEditTest, TheFrameShowsTheGraphAndStepsThroughTheCatalogue) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    SetupFrame* frame = OpenFrame(1);
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Caption()->text(), "Graph 2 of 12, Page 1");
    EXPECT_EQ(frame->PageTitle()->text(), "Rivers");
    EXPECT_EQ(frame->Dsid()->text(), "102");
    EXPECT_EQ(frame->CatalogueStep()->maximum(), state_.catalogue.Count());
    EXPECT_EQ(state_.catalogue.Entry(frame->CatalogueStep()->value()).dsid, 102);
    EXPECT_FALSE(frame->AllowNavigation()->isEnabled());

    int ridge = 0;
    for (int n = 1; n <= state_.catalogue.Count(); ++n)
        if (state_.catalogue.Entry(n).dsid == 103) ridge = n;
    frame->CatalogueStep()->setValue(ridge);
    EXPECT_EQ(frame->Dsid()->text(), "103");
    EXPECT_EQ(frame->StationName()->text(), "Ridge");
    EXPECT_EQ(frame->Unit()->text(), "direction");
    frame->Dsid()->setText(" -1 ");
    EXPECT_TRUE(frame->AllowNavigation()->isEnabled());

    frame->PlotUnitValues()->setChecked(true);
    frame->IncludeMaxMin()->setChecked(true);
    EXPECT_FALSE(frame->PlotUnitValues()->isChecked());
    EXPECT_TRUE(state_.settings.includedailymaxmin);

    // Nothing ticked: the frame asks for a choice and changes nothing.
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(messages_, (std::vector<std::string>{"Make an option selection or else cancel"}));
    EXPECT_TRUE(frame->isVisible());
    QTest::mouseClick(frame->CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(SetupEditTest, GraphsAndWebScreensAreAddedAndPagesUntilTheTablesAreFull) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    Run(0, SetupOption::AddToPage, [](SetupFrame& f) { Graph(f, "102", "Big; River"); });
    const GraphDef& added = state_.pages.Graph(1, 2);
    EXPECT_EQ(added.dsid, 102);
    EXPECT_EQ(added.stationname, "Big, River");
    EXPECT_EQ(added.backcolor, 16777215);
    EXPECT_EQ(state_.store.At(1, 2).currentValue, 7.13);  // fetched
    EXPECT_TRUE(window_->Chart(2)->isVisible());
    EXPECT_FALSE(window_->Setup()->Option(SetupOption::AddToPage)->isChecked());

    int browsers = state_.pages.webscreencount, entries = state_.catalogue.Count();
    Run(0, SetupOption::ReplaceGraph, [](SetupFrame& f) {
        Graph(f, "", "file:///radar.html");
        f.AllowNavigation()->setChecked(true);
    });
    const GraphDef& web = state_.pages.Graph(1, 0);
    EXPECT_EQ(web.dsid, -1);
    EXPECT_EQ(web.parametername, "Web Screen");
    EXPECT_EQ(web.backcolor, browsers);
    EXPECT_EQ(web.back2color, 1);
    EXPECT_EQ(state_.pages.webscreencount, browsers + 1);
    EXPECT_EQ(state_.catalogue.Count(), entries + 1);

    // A series number that is not a whole number is told, and nothing changes.
    Run(1, SetupOption::ReplaceGraph, [](SetupFrame& f) { Graph(f, "10x", "Creek"); });
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("\"10x\""), std::string::npos);
    EXPECT_EQ(state_.pages.Graph(1, 1).dsid, 102);

    // Four pages read: room for eight more.
    for (int added = 1; added <= 8; ++added) {
        Run(0, SetupOption::AddOnNewPage, [](SetupFrame& f) { Graph(f, "101", "Creek"); });
        ASSERT_EQ(state_.pages.pagecount, 4 + added);
        EXPECT_EQ(state_.currentpage, 4 + added);
        EXPECT_EQ(state_.pages.Page(4 + added).title, "New Page");
    }
    Run(0, SetupOption::AddOnNewPage, [](SetupFrame& f) { Graph(f, "101", "Creek"); });
    EXPECT_EQ(state_.pages.pagecount, 12);
    EXPECT_EQ(messages_.back(), "Number of pages added will exceed session limits. Save and restart Tidemark.");
    EXPECT_TRUE(state_.setupdirty);
}

TEST_F(SetupEditTest, DeletingTheLastGraphsAndPagesAlwaysLeavesOnePage) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    GoToPage(4);
    for (int slot : {2, 1, 0}) Run(slot, SetupOption::DeleteGraph);
    // The last page lost its only graphs and left the count.
    EXPECT_EQ(state_.pages.pagecount, 3);
    EXPECT_EQ(state_.currentpage, 3);

    for (int i = 0; i < 3; ++i) {
        answers_.push_back(MsgAnswer::Yes);
        Run(0, SetupOption::DeletePage);
    }
    EXPECT_EQ(state_.pages.pagecount, 1);
    EXPECT_FALSE(state_.pages.Page(1).removed);
    EXPECT_EQ(messages_.back(), "Do you want to DELETE THIS PAGE???");

    answers_.push_back(MsgAnswer::No);
    Run(0, SetupOption::DeletePage);
    EXPECT_EQ(state_.pages.pagecount, 1);

    // Deleting the last page too leaves one empty page; its background's menu leads
    // back to the setup frame, on the page's first graph, to add a graph and save.
    answers_.push_back(MsgAnswer::Yes);
    Run(0, SetupOption::DeletePage);
    ASSERT_EQ(state_.pages.Page(1).slots[0].dsid, 0);
    window_->Setup()->hide();
    QTest::mouseClick(window_.get(), Qt::RightButton, {}, QPoint(window_->width() / 2, window_->height() / 2));
    ASSERT_TRUE(window_->WebMenu()->isVisible());
    window_->WebMenu()->Choose("Setup");
    SetupFrame* frame = window_->Setup();
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Caption()->text(), "Graph 1 of 12, Page 1");
    frame->Select(SetupOption::AddToPage);
    Graph(*frame, "102", "River");
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(state_.pages.Graph(1, 0).dsid, 102);
    EXPECT_TRUE(window_->Chart(0)->isVisible());
    frame->ShowAt(QPoint(0, 0));
    frame->Select(SetupOption::SaveAll);
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    EXPECT_NE(SetupFile().find(" 1 ; 102 ;"), std::string::npos) << SetupFile();
}

TEST_F(SetupEditTest, AnAddedOrReplacedGraphShowsTheUnitOfItsOwnSeries) {
    ASSERT_TRUE(
        db_.Exec("INSERT INTO rsite VALUES (104, 'Ridge', 4, 'Air Temperature', 'degrees F', 3);"
                 "INSERT INTO rhour VALUES (104, '2026-03-10 13:00:00', 33.5);"));
    WriteFourPages("True");
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(window_->ValueBox(0)->text(), "2.75ft");
    Run(0, SetupOption::ReplaceGraph, [](SetupFrame& f) { Graph(f, "104", "Ridge"); });
    EXPECT_EQ(window_->ValueBox(0)->text(), "33.5deg");
    Run(0, SetupOption::AddOnNewPage, [](SetupFrame& f) { Graph(f, "104", "Ridge"); });
    ASSERT_EQ(state_.currentpage, 5);
    EXPECT_EQ(window_->ValueBox(0)->text(), "33.5deg");
    Run(0, SetupOption::AddToPage, [](SetupFrame& f) { Graph(f, "102", "River"); });
    EXPECT_EQ(window_->ValueBox(1)->text(), "7.13ft");
}

TEST_F(SetupEditTest, SavingWritesTheEditedPagesAndTheyReadBackTheSame) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    Run(0, SetupOption::SaveAll);
    EXPECT_FALSE(state_.setupdirty);
    EXPECT_FALSE(window_->SavingFrame()->isVisible());
    std::string before = SetupFile();
    EXPECT_TRUE(std::filesystem::exists(db_.Folder() + "Tidemark_setup_backup.txt"));

    // Page 2 of four is deleted: the file is the same but for its 13 lines, and the
    // pages after it are numbered on.
    GoToPage(2);
    answers_.push_back(MsgAnswer::Yes);
    Run(0, SetupOption::DeletePage);
    EXPECT_EQ(state_.currentpage, 3);
    Run(0, SetupOption::SaveAll);
    size_t page2 = LineOf(before, " 2 ;Creek;");
    ASSERT_NE(page2, std::string::npos) << before;
    std::string expected = WithoutLines(before, page2, 13);
    for (auto [from, to] : {std::pair{"\r\n 3 ;Wind;", "\r\n 2 ;Wind;"}, {"\r\n 4 ;All;", "\r\n 3 ;All;"}}) {
        size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, std::string(from).size(), to);
    }
    EXPECT_EQ(SetupFile(), expected);

    ProgramState reread;
    RecordingHost host;
    SetupReadResult loaded =
        SetupReader(host).Read(db_.Folder(), {reread.settings, reread.pages, reread.catalogue, reread.frequency});
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    ASSERT_EQ(reread.pages.pagecount, 3);
    EXPECT_EQ(reread.pages.Page(2).title, "Wind");
    for (int slot = 0; slot < kGraphsPerPage; ++slot) {
        GraphDef read = reread.pages.Graph(3, slot), shown = state_.pages.Graph(4, slot);
        // Numbered by their place in the file; empty slots the reader has not met are unnumbered.
        read.page = shown.page = 0;
        read.slot = shown.slot = 0;
        EXPECT_TRUE(read == shown) << "slot " << slot;
    }
}

TEST_F(SetupEditTest, ASaveThatFailsKeepsTheFileAndTheChanges) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    std::string before = SetupFile();
    // The backup cannot take the old file's place: a folder of that name is in the way.
    std::filesystem::create_directories(db_.Folder() + "Tidemark_setup_backup.txt/inside");
    Run(1, SetupOption::DeleteGraph);
    Run(0, SetupOption::SaveAll);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("Tidemark_setup"), std::string::npos) << messages_[0];
    EXPECT_EQ(SetupFile(), before);
    EXPECT_TRUE(state_.setupdirty);
    EXPECT_EQ(state_.pages.Graph(1, 1).dsid, 0);

    // Closing asks to save; the save fails again and the window stays open.
    answers_.push_back(MsgAnswer::Yes);
    window_->close();
    EXPECT_FALSE(window_->HasClosed());
    std::filesystem::remove_all(db_.Folder() + "Tidemark_setup_backup.txt");
    answers_.push_back(MsgAnswer::Yes);
    window_->close();
    EXPECT_TRUE(window_->HasClosed());
    EXPECT_NE(SetupFile(), before);
}

TEST_F(SetupEditTest, TheButtonsOpenTheSetupFileAndStartTheCompanionLoaderWithTheSeriesNumber) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    std::string folder = db_.Folder();
    // A stand-in editor and loader that write down what they were given, whole before the
    // file appears.
    auto writeDown = [](const std::string& file) {
        return "#!/bin/sh\necho \"$1\" > " + file + ".part && mv " + file + ".part " + file + "\n";
    };
    ASSERT_TRUE(WriteFileAtomic(folder + "editor.sh", writeDown(folder + "edited.txt")));
    std::filesystem::create_directories(folder + "loader");
    ASSERT_TRUE(WriteFileAtomic(folder + "loader/Ledgerly", writeDown(folder + "loaded.txt")));
    for (const char* script : {"editor.sh", "loader/Ledgerly"})
        std::filesystem::permissions(folder + script, std::filesystem::perms::owner_all);
    ::setenv("VISUAL", (folder + "editor.sh").c_str(), 1);

    SetupFrame* frame = OpenFrame(0);
    state_.setupdirty = true;
    QTest::mouseClick(frame->SetupFileButton(), Qt::LeftButton);
    EXPECT_FALSE(state_.setupdirty);
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(folder + "edited.txt"); }));
    EXPECT_EQ(ReadFileBytes(folder + "edited.txt").value_or(""), folder + "Tidemark_setup.txt\n");
    ::unsetenv("VISUAL");

    // Not in the sibling folder: the user is told and names the folder.
    QTimer::singleShot(0, [folder] {
        auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!ask) return ADD_FAILURE() << "no folder question";
        EXPECT_EQ(ask->windowTitle(), "Ledgerly.exe path");
        // Wide enough for the whole title beside a title bar's icon and three buttons.
        QFont title = ask->font();
        title.setBold(true);
        EXPECT_GE(ask->width(), QFontMetrics(title).horizontalAdvance(ask->windowTitle()) + 4 * 32);
        ask->setTextValue(QString::fromStdString(folder + "loader"));
        ask->accept();
    });
    QTest::mouseClick(frame->CompanionButton(), Qt::LeftButton);
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_[0].find("Ledgerly.exe not found... try again."), std::string::npos) << messages_[0];
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(folder + "loaded.txt"); }));
    EXPECT_EQ(ReadFileBytes(folder + "loaded.txt").value_or(""), "101\n");
}

// A web screen's own switches are in the frame, and replacing it with only a new address
// keeps them: the saved line differs from the old one in its address alone.
TEST_F(SetupEditTest, ReplacingAWebScreenKeepsTheSwitchesTheFrameDidNotChange) {
    const std::string folder = db_.Folder();
    for (const char* name : {"notes.html", "report.html"})
        ASSERT_TRUE(WriteFileAtomic(folder + name, "<!DOCTYPE html><html><body><p>notes</p></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Rivers"), GraphLine(1, 101), GraphLine(2, 102),
                          " 3 ;-1 ;Web Screen;" + folder + "notes.html; 1 ; 0 ; 0 ;-1 ; 0"}));
    ASSERT_EQ(Open(), 0);
    Run(0, SetupOption::SaveAll);
    const std::string before = SetupFile();
    const size_t line = LineOf(before, " 3 ;-1 ;");
    ASSERT_NE(line, std::string::npos) << before;

    // The frame on the web screen (its menu opens it on the screen's slot).
    auto openOnWebScreen = [&] {
        // A right click on the screen's text; a replaced screen has a browser of its own.
        window_->Web().DocumentMouseUp(WebScreenView(state_.pages.Graph(1, 2)).BrowserIndex(), "P", 2, false);
        ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
        window_->WebMenu()->Choose("Setup");
    };
    openOnWebScreen();
    SetupFrame* frame = window_->Setup();
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Caption()->text(), "Graph 3 of 12, Page 1");
    EXPECT_TRUE(frame->AllowNavigation()->isChecked());
    EXPECT_FALSE(frame->Resize()->isChecked());
    EXPECT_EQ(frame->Unit()->text(), "");
    frame->Select(SetupOption::ReplaceGraph);
    frame->StationName()->setText(QString::fromStdString(folder + "report.html"));
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    Run(0, SetupOption::SaveAll);

    const std::string after = SetupFile();
    std::string expected = before;
    size_t at = expected.find(folder + "notes.html");
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, (folder + "notes.html").size(), folder + "report.html");
    EXPECT_EQ(after, expected);
    EXPECT_NE(after.find("report.html; 1 ; 0 ; 0 ;-1 ; 0"), std::string::npos) << after;

    // A switch the user did change is taken as ticked.
    openOnWebScreen();
    ASSERT_TRUE(frame->isVisible());
    ASSERT_TRUE(frame->AllowNavigation()->isChecked());
    frame->AllowNavigation()->setChecked(false);
    frame->Resize()->setChecked(true);
    frame->Select(SetupOption::ReplaceGraph);
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    Run(0, SetupOption::SaveAll);
    EXPECT_NE(SetupFile().find("report.html; 1 ; 0 ; 0 ; 0 ; 1"), std::string::npos) << SetupFile();
}

// The frame shows the slot it edits: the unit of its own series (never the one of the
// graph shown before), and the page as the user counts it once a page before it is gone;
// the caption names the page shown.
TEST_F(SetupEditTest, TheFrameShowsTheUnitAndPageOfTheSlotItEdits) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    SetupFrame* frame = OpenFrame(0);
    EXPECT_EQ(frame->Unit()->text(), "ft");
    frame->hide();
    GoToPage(3);
    frame = OpenFrame(0);
    EXPECT_EQ(frame->Unit()->text(), "direction");
    frame->hide();

    GoToPage(1);
    answers_.push_back(MsgAnswer::Yes);
    Run(0, SetupOption::DeletePage);
    ASSERT_EQ(state_.currentpage, 2);
    EXPECT_EQ(window_->Caption().rfind("Creek", 0), 0u) << window_->Caption();
    frame = OpenFrame(0);
    EXPECT_EQ(frame->Caption()->text(), "Graph 1 of 12, Page 1");
    EXPECT_EQ(frame->PageTitle()->text(), "Creek");
    EXPECT_EQ(frame->Unit()->text(), "ft");
}

// Deleting the first of two pages, the second a web screen's: the caption and the frame
// name the page left.
TEST_F(SetupEditTest, DeletingTheFirstOfTwoPagesLeavesTheCaptionOnThePageLeft) {
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "notes.html", "<!DOCTYPE html><html><body><p>notes</p></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Rivers"), GraphLine(1, 101), PageLine(2, "Notes"),
                          " 1 ;-1 ;Web Screen;" + db_.Folder() + "notes.html; 1 ; 0 ; 0 ; 0 ; 0"}));
    ASSERT_EQ(Open(), 0);
    answers_.push_back(MsgAnswer::Yes);
    Run(0, SetupOption::DeletePage);
    ASSERT_EQ(state_.currentpage, 2);
    EXPECT_EQ(window_->Caption().rfind("Notes", 0), 0u) << window_->Caption();
    EXPECT_EQ(window_->windowTitle().toStdString().rfind("Notes", 0), 0u) << window_->windowTitle().toStdString();
    window_->Web().DocumentMouseUp(WebScreenView(state_.pages.Graph(2, 0)).BrowserIndex(), "P", 2, false);
    ASSERT_TRUE(WaitUntil([&] { return window_->WebMenu()->isVisible(); }));
    window_->WebMenu()->Choose("Setup");
    SetupFrame* frame = window_->Setup();
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Caption()->text(), "Graph 1 of 12, Page 1");
    EXPECT_EQ(frame->PageTitle()->text(), "Notes");
}

// A frame left open while the pages turn shows the page shown, whose title and graphs its
// commands change.
TEST_F(SetupEditTest, AFrameLeftOpenFollowsThePageShown) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    SetupFrame* frame = OpenFrame(1);
    ASSERT_EQ(frame->Caption()->text(), "Graph 2 of 12, Page 1");
    GoToPage(3);
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Caption()->text(), "Graph 1 of 12, Page 3");
    EXPECT_EQ(frame->PageTitle()->text(), "Wind");
    EXPECT_EQ(frame->Dsid()->text(), "103");
    EXPECT_EQ(frame->Unit()->text(), "direction");
    frame->Select(SetupOption::DeleteGraph);
    QTest::mouseClick(frame->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(state_.pages.Page(1).title, "Rivers");
    EXPECT_EQ(state_.pages.Graph(1, 1).dsid, 102);
    EXPECT_EQ(state_.pages.Graph(3, 0).dsid, 0);
}
