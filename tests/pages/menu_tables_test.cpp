// The menus' tables: every caption a menu can show leads back to the command of its row,
// the rows that change their caption follow the model's state, and that state is the
// model's own, whatever the list happens to show.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "pages/graph_menu.h"
#include "pages/output_menu.h"
#include "pages/web_screen.h"
#include "support/recording_host.h"

using namespace tidemark;

namespace {

// In each of `states`, no two rows read alike, and the command a caption names is the
// command of the row showing it.
template <typename Command, typename State, size_t N>
void ExpectCaptionsNameTheirRows(const MenuTable<Command, State, N>& table, std::initializer_list<State> states) {
    std::set<Command> commands;
    for (const State& state : states) {
        std::set<std::string_view> shown;
        for (size_t row = 0; row < N; ++row) {
            std::string_view text = TextOf(table[row], state);
            EXPECT_FALSE(text.empty()) << "row " << row;
            EXPECT_TRUE(shown.insert(text).second) << text << " is shown twice";
            EXPECT_EQ(CommandNamed(table, text), CommandAt(table, static_cast<int>(row), state)) << text;
            commands.insert(*CommandAt(table, static_cast<int>(row), state));
        }
    }
    // No two rows run the same command, in any state.
    size_t distinct = 0;
    for (const auto& row : table) distinct += row.follows ? 2 : 1;
    EXPECT_EQ(commands.size(), distinct);
    EXPECT_EQ(CommandNamed(table, "Nothing"), std::nullopt);
    EXPECT_EQ(CommandAt(table, static_cast<int>(N), State{}), std::nullopt);
    EXPECT_EQ(CommandAt(table, -1, State{}), std::nullopt);
}

// A list that shows what it is told, and a label the commands must never consult.
class CaptionView : public GraphMenuView {
public:
    void SetEntryText(int row, const std::string& text) override { captions[row] = text; }
    std::string EntryText(int) const override { return "Shrink"; }
    void RedrawPage() override {}
    void LayoutPage() override { ++layouts; }
    void RefreshChart(int) override {}
    EnlargeArea Area() const override { return {}; }
    void HidePageForEnlarged(const WindowRect&) override { ++enlargements; }
    void ShowEnlargedValueBox(int, const EnlargedGraphLayout&) override {}
    void Open(SideFrame) override {}
    void PreviousPage() override {}
    std::optional<int32_t> ChooseColor(int32_t) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    int ScreenSizeClass() const override { return 0; }

    std::map<int, std::string> captions;
    int layouts = 0, enlargements = 0;
};

struct GraphMenuRig {
    GraphMenuRig() {
        state.pages.tableroom = 2;
        state.pages.pages.resize(3);
        state.currentpage = 1;
        state.pages.Graph(1, 0).dsid = 101;
        state.pages.Graph(1, 1).dsid = 102;
    }
    ProgramState state;
    RenderState render;
    RecordingHost host;
    CaptionView view;
    GraphCommands commands{state, render, host, view};
};

}  // namespace

TEST(MenuTables, GraphMenuCaptionsNameTheCommandsOfTheirRows) {
    ExpectCaptionsNameTheirRows(kGraphMenu, {GraphMenuState{}, GraphMenuState{true, true}});
    EXPECT_EQ(TextsOf(kGraphMenu), (std::vector<std::string>{
                                       "Enlarge", "Update This", "HourMarkers", "DayMarkers", "Rankings", "Cumulative",
                                       "Log Yaxis", "Yaxis Labels", "Colors/Fonts", "Days", "Watch Levels",
                                       "Auto Paging", "Setup", "Add Trace", "Gage Off/On", "Print", "Back", "Cancel"}));
    // Each changing row follows its own flag and no other.
    std::vector<std::string> enlarged = TextsOf(kGraphMenu, GraphMenuState{true, false});
    std::vector<std::string> logAxis = TextsOf(kGraphMenu, GraphMenuState{false, true});
    EXPECT_EQ(enlarged[kEnlargeEntryRow], "Shrink");
    EXPECT_EQ(enlarged[kLogAxisEntryRow], "Log Yaxis");
    EXPECT_EQ(logAxis[kEnlargeEntryRow], "Enlarge");
    EXPECT_EQ(logAxis[kLogAxisEntryRow], "Normal Yaxis");
}

TEST(MenuTables, ColorsMenuCaptionsNameTheCommandsOfTheirRows) {
    ExpectCaptionsNameTheirRows(kColorsMenu, {NoMenuState{}});
    EXPECT_EQ(TextsOf(kColorsMenu), (std::vector<std::string>{"BackColor", "Back2Color", "Hourly Color", "Daily Color",
                                                              "Copy Colors", "Fonts Title", "Fonts Axis", "Cancel"}));
}

TEST(MenuTables, WebMenuCaptionsNameTheCommandsOfTheirRows) {
    ExpectCaptionsNameTheirRows(kWebMenu, {WebMenuState{}, WebMenuState{true}});
    EXPECT_EQ(TextsOf(kWebMenu), (std::vector<std::string>{"Enlarge", "Update This", "ScrollBars", "Auto Paging",
                                                           "Setup", "Open", "Print", "Back", "Next", "Cancel"}));
    EXPECT_EQ(TextsOf(kWebMenu, WebMenuState{true})[kWebMenuEnlargeRow], "Shrink");
    EXPECT_EQ(CommandAt(kWebMenu, kWebMenuEnlargeRow, WebMenuState{true}), WebMenuCommand::Shrink);
}

TEST(MenuTables, TheOutputChooserListsThePrintersBetweenItsFixedRows) {
    ExpectCaptionsNameTheirRows(kOutputChooser, {NoMenuState{}});
    auto rows = [](int printers) {
        std::vector<std::pair<OutputCommand, int>> out;
        for (int row = 0; std::optional<OutputRow> r = OutputRowAt(row, printers); ++row) {
            EXPECT_EQ(r->text.empty(), r->command == OutputCommand::Printer) << row;
            out.emplace_back(r->command, r->printer);
        }
        return out;
    };
    using C = OutputCommand;
    EXPECT_EQ(rows(0), (std::vector<std::pair<C, int>>{{C::SaveAsPng, -1}, {C::DefaultPrinter, -1}, {C::Cancel, -1}}));
    EXPECT_EQ(rows(2),
              (std::vector<std::pair<C, int>>{
                  {C::SaveAsPng, -1}, {C::DefaultPrinter, -1}, {C::Printer, 0}, {C::Printer, 1}, {C::Cancel, -1}}));
    EXPECT_EQ(OutputRowAt(1, 2)->text, "Default Printer");
    EXPECT_EQ(OutputRowAt(4, 2)->text, "Cancel");
    EXPECT_EQ(OutputRowAt(-1, 2), std::nullopt);
}

TEST(MenuTables, TheGraphMenuStateIsTheModelsAndTheListOnlyShowsIt) {
    GraphMenuRig rig;
    // The list's label says "Shrink" throughout; the commands go by their own state.
    rig.commands.RunRow(kEnlargeEntryRow, 0);
    EXPECT_TRUE(rig.commands.Enlarged());
    EXPECT_EQ(rig.view.enlargements, 1);
    EXPECT_EQ(rig.view.captions[kEnlargeEntryRow], "Shrink");
    rig.commands.Run(GraphCommand::Enlarge, 1);  // already enlarged: nothing
    EXPECT_EQ(rig.view.enlargements, 1);

    // The same row now shrinks, and the layout pass ends an enlargement too.
    rig.commands.RunRow(kEnlargeEntryRow, 0);
    EXPECT_FALSE(rig.commands.Enlarged());
    EXPECT_EQ(rig.view.captions[kEnlargeEntryRow], "Enlarge");
    EXPECT_EQ(rig.view.layouts, 1);
    rig.commands.RunRow(kEnlargeEntryRow, 1);
    rig.commands.EndEnlarged();
    EXPECT_FALSE(rig.commands.Enlarged());
    EXPECT_EQ(rig.view.captions[kEnlargeEntryRow], "Enlarge");

    // The log-axis row holds for the menu, not for one graph.
    rig.state.pages.Graph(1, 1).logyscale = -1;
    rig.commands.RunRow(kLogAxisEntryRow, 0);
    EXPECT_EQ(rig.state.pages.Graph(1, 0).logyscale, -1);
    EXPECT_EQ(rig.view.captions[kLogAxisEntryRow], "Normal Yaxis");
    rig.commands.RunRow(kLogAxisEntryRow, 1);
    EXPECT_EQ(rig.state.pages.Graph(1, 1).logyscale, 0);
    EXPECT_EQ(rig.state.pages.Graph(1, 0).logyscale, -1);
    EXPECT_EQ(rig.view.captions[kLogAxisEntryRow], "Log Yaxis");
    EXPECT_FALSE(rig.commands.MenuState().logAxisChosen);
}
