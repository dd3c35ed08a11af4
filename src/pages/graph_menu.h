#pragma once
// The graph menu: one command on the graph last clicked, chosen by the text of the
// entry, because two entries change their text while the program runs ("Enlarge" /
// "Shrink", "Log Yaxis" / "Normal Yaxis") and run the command their text names. The
// colours and fonts menu and the watch-level frame act on the same graph.
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

// The command an entry's present text names; nothing for a text the menu never shows.
std::optional<GraphCommand> GraphCommandFor(std::string_view entryText);

// Rows of the entries whose text changes.
inline constexpr int kEnlargeEntryRow = 0;
inline constexpr int kLogAxisEntryRow = 6;

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

std::optional<ColorsCommand> ColorsCommandFor(std::string_view entryText);

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

    virtual void SetEntryText(int row, const std::string& text) = 0;
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

    virtual void Open(SideFrame frame) = 0;
    virtual void PreviousPage() = 0;

    // The platform's colour and font dialogs; nothing when cancelled.
    virtual std::optional<int32_t> ChooseColor(int32_t initial) = 0;
    virtual std::optional<FontChoice> ChooseFont(const FontChoice& initial) = 0;

    // 0, 100 or 250, as the layout pass found it.
    virtual int ScreenSizeClass() const = 0;
};

// The three boxes of the watch-level frame, as text.
struct WatchLevelTexts {
    std::string high, low, count;
};

class GraphCommands {
public:
    GraphCommands(ProgramState& state, RenderState& render, Host& host, GraphMenuView& view);

    // Runs the command the entry's text names on `slot` of the current page.
    void Run(std::string_view entryText, int slot);
    // The colours and fonts menu on `slot` of the current page.
    void RunColors(std::string_view entryText, int slot);

    // What the watch-level frame shows for `slot`, and what its "Ok" does with the boxes.
    WatchLevelTexts WatchLevelsOf(int slot) const;
    void ApplyWatchLevels(int slot, const WatchLevelTexts& texts);

    // A graph is shown alone over the page (the first entry reads "Shrink"; the layout
    // pass puts every graph back and the entry with them).
    bool Enlarged() const;

private:
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
};

}  // namespace tidemark
