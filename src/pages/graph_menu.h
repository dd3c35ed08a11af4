#pragma once
// The graph menu: one command on the graph last clicked, run by the row clicked. Two rows
// change their caption while the program runs ("Enlarge" / "Shrink", "Log Yaxis" /
// "Normal Yaxis"); they follow the menu's state, which GraphCommands holds. The colours
// and fonts menu and the watch-level frame act on the same graph.
//
// The commands change the setup model and the drawn charts; everything else they need
// of the screen goes through GraphMenuView, which the main window implements.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/host.h"
#include "data/program_state.h"
#include "pages/layout.h"
#include "pages/menu_table.h"
#include "render/render_state.h"

namespace tidemark {

enum class GraphCommand {
    Enlarge,
    Shrink,
    UpdateThis,
    HourMarkers,
    DayMarkers,
    Rankings,
    Cumulative,
    LogYaxis,
    NormalYaxis,
    YaxisLabels,
    ColorsFonts,
    Days,
    WatchLevels,
    AutoPaging,
    Setup,
    AddTrace,
    GageOffOn,
    Print,
    Back,
    Cancel,
};

// What the rows with changing captions follow. Both hold for the menu as a whole, not
// for one graph: after "Log Yaxis" on one graph the row offers "Normal Yaxis" on every
// graph until that is chosen.
struct GraphMenuState {
    bool enlarged = false;       // a graph is shown alone over the page
    bool logAxisChosen = false;  // "Log Yaxis" was chosen last
};

inline constexpr MenuTable<GraphCommand, GraphMenuState, 18> kGraphMenu{{
    {"Enlarge", GraphCommand::Enlarge, &GraphMenuState::enlarged, "Shrink", GraphCommand::Shrink},
    {"Update This", GraphCommand::UpdateThis},
    {"HourMarkers", GraphCommand::HourMarkers},
    {"DayMarkers", GraphCommand::DayMarkers},
    {"Rankings", GraphCommand::Rankings},
    {"Cumulative", GraphCommand::Cumulative},
    {"Log Yaxis", GraphCommand::LogYaxis, &GraphMenuState::logAxisChosen, "Normal Yaxis", GraphCommand::NormalYaxis},
    {"Yaxis Labels", GraphCommand::YaxisLabels},
    {"Colors/Fonts", GraphCommand::ColorsFonts},
    {"Days", GraphCommand::Days},
    {"Watch Levels", GraphCommand::WatchLevels},
    {"Auto Paging", GraphCommand::AutoPaging},
    {"Setup", GraphCommand::Setup},
    {"Add Trace", GraphCommand::AddTrace},
    {"Gage Off/On", GraphCommand::GageOffOn},
    {"Print", GraphCommand::Print},
    {"Back", GraphCommand::Back},
    {"Cancel", GraphCommand::Cancel},
}};

// Rows of the entries whose caption changes.
inline constexpr int kEnlargeEntryRow = RowFollowing(kGraphMenu, &GraphMenuState::enlarged);
inline constexpr int kLogAxisEntryRow = RowFollowing(kGraphMenu, &GraphMenuState::logAxisChosen);

// The frames and menus a command opens at the graph menu's position.
enum class SideFrame { ColorsMenu, Days, WatchLevels, AutoPaging, Setup, TraceDialog, OutputChooser };

enum class ColorsCommand {
    BackColor,
    Back2Color,
    HourlyColor,
    DailyColor,
    CopyColors,
    FontsTitle,
    FontsAxis,
    Cancel,
};

inline constexpr MenuTable<ColorsCommand, NoMenuState, 8> kColorsMenu{{
    {"BackColor", ColorsCommand::BackColor},
    {"Back2Color", ColorsCommand::Back2Color},
    {"Hourly Color", ColorsCommand::HourlyColor},
    {"Daily Color", ColorsCommand::DailyColor},
    {"Copy Colors", ColorsCommand::CopyColors},
    {"Fonts Title", ColorsCommand::FontsTitle},
    {"Fonts Axis", ColorsCommand::FontsAxis},
    {"Cancel", ColorsCommand::Cancel},
}};

struct FontChoice {
    std::string name;
    double size = 0;  // points, as the dialog gives it
};

// Where the window's page area is, for a graph shown alone over it.
struct EnlargeArea {
    double clientWidth = 0, clientHeight = 0;  // twips
    double windowHeight = 0;                   // outer height, twips
    double valuesListWidth = 0;                // 0 when the values list is hidden
};

class GraphMenuView {
public:
    virtual ~GraphMenuView() = default;

    // Shows `text` as the caption of row `row`, for a row that follows the menu's state.
    virtual void SetEntryText(int row, const std::string& text) = 0;
    // What the list shows at `row`, for checking what a user sees; the commands go by
    // their own state, never by this.
    virtual std::string EntryText(int row) const = 0;

    // Draws the current page again (showgraphs).
    virtual void RedrawPage() = 0;
    // The layout pass over the drawn page.
    virtual void LayoutPage() = 0;
    // Shows slot's chart as its surface now says (after the commands styled it).
    virtual void RefreshChart(int slot) = 0;

    // "Enlarge": hides every chart, value box, compass label and web screen of the page;
    // the values list, when shown, goes to `valuesList`.
    virtual EnlargeArea Area() const = 0;
    virtual void HidePageForEnlarged(const WindowRect& valuesList) = 0;
    // The enlarged graph's own large current value, placed over it as a page of one
    // graph places it; nothing where the page shows no such values.
    virtual void ShowEnlargedValueBox(int slot, const EnlargedGraphLayout& enlarged) = 0;

    virtual void Open(SideFrame frame) = 0;
    virtual void PreviousPage() = 0;

    // The platform's colour and font dialogs; nothing when cancelled.
    virtual std::optional<int32_t> ChooseColor(int32_t initial) = 0;
    virtual std::optional<FontChoice> ChooseFont(const FontChoice& initial) = 0;

    // 0, 100 or 250, as the layout pass found it.
    virtual int ScreenSizeClass() const = 0;
    // How texts measure on the screen, to fit the enlarged graph's title to its lines;
    // none keeps the title's set size.
    virtual TextMeasure ScreenMeasure() const { return {}; }
};

// The three boxes of the watch-level frame, as text.
struct WatchLevelTexts {
    std::string high, low, count;
};

class GraphCommands {
public:
    GraphCommands(ProgramState& state, RenderState& render, Host& host, GraphMenuView& view);

    // Runs `command` on `slot` of the current page.
    void Run(GraphCommand command, int slot);
    // Runs the command of row `row` as the menu reads now.
    void RunRow(int row, int slot);
    // Runs the command a caption names (scripts and tests drive the menu by its captions).
    void Run(std::string_view entryText, int slot);
    // The colours and fonts menu on `slot` of the current page: a command, the command
    // of a row, the command a caption names.
    void RunColors(ColorsCommand command, int slot);
    void RunColorsRow(int row, int slot);
    void RunColors(std::string_view entryText, int slot);

    // What the watch-level frame shows for `slot`, and what its "Ok" does with the boxes.
    WatchLevelTexts WatchLevelsOf(int slot) const;
    void ApplyWatchLevels(int slot, const WatchLevelTexts& texts);

    const GraphMenuState& MenuState() const { return menu_; }
    // A graph is shown alone over the page.
    bool Enlarged() const { return menu_.enlarged; }
    // The layout pass or a page turn put every graph back in its place.
    void EndEnlarged() { Follow(&GraphMenuState::enlarged, false); }

private:
    // Sets a flag of the menu's state and shows the caption of the row that follows it.
    void Follow(bool GraphMenuState::*flag, bool on);
    GraphDef& Def(int slot);
    PageRec& Page();
    bool HasGraph(int slot) const;

    void Enlarge(int slot);
    void Shrink();
    // Steps a marker mode 0, 1, ... last, 0 and shows it on the chart at once.
    void StepMarkers(int slot, int16_t GraphDef::*mode, int16_t last);
    void NormalYaxis(int slot);
    void LogYaxis(int slot);
    void ToggleGauge(int slot);

    void ChooseChartColor(ColorsCommand command, int slot);
    void ApplyColors(int slot);
    void CopyColors(int slot);
    void ChooseFont(bool title);

    ProgramState& state_;
    RenderState& render_;
    Host& host_;
    GraphMenuView& view_;
    GraphMenuState menu_;
};

}  // namespace tidemark
