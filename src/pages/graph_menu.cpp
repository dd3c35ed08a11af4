#include "pages/graph_menu.h"

#include <cmath>

#include "core/color.h"
#include "core/vbtext.h"
#include "data/getvalues.h"
#include "pages/value_box.h"
#include "render/chart_style.h"
#include "render/showgraphs.h"
#include "render/titles.h"

namespace tidemark {
namespace {

constexpr double kLargestWatchLevel = 1e12;

// Commands whose change reaches the setup file when it is saved.
bool MarksSetupChanged(GraphCommand command) {
    switch (command) {
        case GraphCommand::HourMarkers:
        case GraphCommand::DayMarkers:
        case GraphCommand::Rankings:
        case GraphCommand::Cumulative:
        case GraphCommand::LogYaxis:
        case GraphCommand::NormalYaxis:
        case GraphCommand::YaxisLabels:
        case GraphCommand::ColorsFonts:
        case GraphCommand::Days:
        case GraphCommand::WatchLevels:
        case GraphCommand::GageOffOn: return true;
        default: return false;
    }
}

// The special display toggles: on from plain, off from any special display.
int16_t Toggled(int16_t rankcum, int16_t on) { return rankcum == RankCum::Plain ? on : RankCum::Plain; }

// Colours of the setup model carry only their three bytes on the chart.
int32_t ChartColor(int32_t value) {
    Rgb c = SplitColor(value);
    return RGB(c.red, c.green, c.blue);
}

// Font sizes of the model are whole points, halves to even.
std::optional<int16_t> WholePoints(double size) { return CInt(size); }

}  // namespace

GraphCommands::GraphCommands(ProgramState& state, RenderState& render, Host& host, GraphMenuView& view)
    : state_(state), render_(render), host_(host), view_(view) {}

PageRec& GraphCommands::Page() { return state_.pages.Page(state_.currentpage); }

GraphDef& GraphCommands::Def(int slot) { return Page().slots.at(static_cast<size_t>(slot)); }

bool GraphCommands::HasGraph(int slot) const {
    int page = state_.currentpage;
    return slot >= 0 && slot < kGraphsPerPage && page >= 1 && state_.pages.ValidPage(page) &&
           static_cast<size_t>(page) < state_.pages.pages.size();
}

void GraphCommands::Follow(bool GraphMenuState::*flag, bool on) {
    menu_.*flag = on;
    int row = RowFollowing(kGraphMenu, flag);
    view_.SetEntryText(row, std::string(TextOf(kGraphMenu[static_cast<size_t>(row)], menu_)));
}

void GraphCommands::RunRow(int row, int slot) {
    if (std::optional<GraphCommand> command = CommandAt(kGraphMenu, row, menu_)) Run(*command, slot);
}

void GraphCommands::Run(std::string_view entryText, int slot) {
    if (std::optional<GraphCommand> command = CommandNamed(kGraphMenu, entryText)) Run(*command, slot);
}

void GraphCommands::Run(GraphCommand command, int slot) {
    if (!HasGraph(slot)) return;
    if (MarksSetupChanged(command)) state_.setupdirty = true;
    GraphDef& def = Def(slot);
    switch (command) {
        case GraphCommand::Enlarge: Enlarge(slot); break;
        case GraphCommand::Shrink: Shrink(); break;
        case GraphCommand::UpdateThis:
            Getvalues1(state_, host_, state_.currentpage, slot);
            view_.RedrawPage();
            break;
        case GraphCommand::HourMarkers: StepMarkers(slot, &GraphDef::hrmarker, MarkerMode::LastHourly); break;
        case GraphCommand::DayMarkers: StepMarkers(slot, &GraphDef::daymarker, MarkerMode::LastDaily); break;
        case GraphCommand::Rankings:
            def.rankcum = Toggled(def.rankcum, RankCum::Ranked);
            view_.RedrawPage();
            break;
        case GraphCommand::Cumulative:
            def.rankcum = Toggled(def.rankcum, RankCum::Cumulative);
            view_.RedrawPage();
            break;
        case GraphCommand::LogYaxis: LogYaxis(slot); break;
        case GraphCommand::NormalYaxis: NormalYaxis(slot); break;
        case GraphCommand::YaxisLabels:
            Page().yaxislabels = Page().yaxislabels == YAxisLabels::Shown ? YAxisLabels::Hidden : YAxisLabels::Shown;
            view_.LayoutPage();
            break;
        case GraphCommand::ColorsFonts: view_.Open(SideFrame::ColorsMenu); break;
        case GraphCommand::Days: view_.Open(SideFrame::Days); break;
        case GraphCommand::WatchLevels: view_.Open(SideFrame::WatchLevels); break;
        case GraphCommand::AutoPaging: view_.Open(SideFrame::AutoPaging); break;
        case GraphCommand::Setup: view_.Open(SideFrame::Setup); break;
        case GraphCommand::AddTrace: view_.Open(SideFrame::TraceDialog); break;
        case GraphCommand::GageOffOn: ToggleGauge(slot); break;
        case GraphCommand::Print: view_.Open(SideFrame::OutputChooser); break;
        case GraphCommand::Back: view_.PreviousPage(); break;
        case GraphCommand::Cancel: break;
    }
}

void GraphCommands::Enlarge(int slot) {
    if (Enlarged()) return;
    Follow(&GraphMenuState::enlarged, true);
    const PageRec& page = Page();
    const GraphDef& def = Def(slot);
    EnlargeArea area = view_.Area();
    EnlargedGraphLayout out =
        EnlargeGraph({area.clientWidth, area.clientHeight, area.windowHeight, area.valuesListWidth, page.titlefontsize,
                      view_.ScreenSizeClass(), render_.titles[static_cast<size_t>(slot)], state_.settings.titlefontname,
                      view_.ScreenMeasure()});
    view_.HidePageForEnlarged(out.siteList);

    const std::string& title = render_.titles[static_cast<size_t>(slot)];
    int32_t contrast = ContrastColor(def.backcolor);
    ChartStyle style;
    style.left = out.chart.left;
    style.top = out.chart.top;
    style.width = out.chart.width;
    style.height = out.chart.height;
    style.titleText = title;
    style.titleFontName = state_.settings.titlefontname;
    style.titleFontSize = out.titleFontSize;
    style.titleColor = TitleColor(title, contrast);
    style.axisFontName = state_.settings.axisfontname;
    style.axisFontSize = page.axisfontsize;
    style.axisColor = contrast;
    style.plot = {out.plot.minX, out.plot.minY, out.plot.maxX, out.plot.maxY};
    style.titleRect = {out.titleRect.minX, out.titleRect.minY, out.titleRect.maxX, out.titleRect.maxY};
    if (page.yaxislabels == YAxisLabels::Shown && static_cast<size_t>(state_.currentpage) < state_.labels.size()) {
        style.yAxisTitleVisible = true;
        style.yAxisTitle = state_.labels[static_cast<size_t>(state_.currentpage)].at(static_cast<size_t>(slot)).unit;
        style.yAxisTitleFontSize = page.axisfontsize;
    }
    ApplyChartStyle(render_.charts[static_cast<size_t>(slot)], style);
    view_.RefreshChart(slot);
    view_.ShowEnlargedValueBox(slot, out);
}

void GraphCommands::Shrink() {
    Follow(&GraphMenuState::enlarged, false);
    view_.LayoutPage();
}

void GraphCommands::StepMarkers(int slot, int16_t GraphDef::*mode, int16_t last) {
    GraphDef& def = Def(slot);
    int16_t& value = def.*mode;
    value = value >= last || value < 0 ? MarkerMode::Line : static_cast<int16_t>(value + 1);
    ApplyMarkerModes(render_.charts[static_cast<size_t>(slot)], def, PensInUse(state_.settings, render_));
    view_.RefreshChart(slot);
}

void GraphCommands::NormalYaxis(int slot) {
    Follow(&GraphMenuState::logAxisChosen, false);
    ChartAxis& y = render_.charts[static_cast<size_t>(slot)].YAxis();
    y.scaleType = ScaleType::Linear;
    const YScale* stored = render_.FindScale(state_.currentpage, slot);
    // A range that dips below 0 over a short span is left to the chart, as drawing does.
    if (stored && (stored->min >= 0 || stored->max - stored->min >= 10)) {
        y.scale.automatic = false;
        y.scale.minimum = stored->min;
        y.scale.maximum = stored->max;
        y.scale.majorDivisions = stored->major;
    } else {
        y.scale.automatic = true;
    }
    Def(slot).logyscale = 0;
    view_.RefreshChart(slot);
}

void GraphCommands::LogYaxis(int slot) {
    Follow(&GraphMenuState::logAxisChosen, true);
    ChartSurface& chart = render_.charts[static_cast<size_t>(slot)];
    chart.XAxis().crossingAutomatic = true;
    chart.YAxis().scaleType = ScaleType::Logarithmic;
    Def(slot).logyscale = kFileTrue;
    view_.RefreshChart(slot);
}

void GraphCommands::ToggleGauge(int slot) {
    GraphDef& def = Def(slot);
    if (def.SwitchedOff()) {
        def.back2color = def.backcolor;
        if (StartsWith(def.stationname, kSwitchedOffPrefix)) def.stationname.erase(0, kSwitchedOffPrefix.size());
        def.stationname = Trim(def.stationname);
    } else {
        def.back2color = kSwitchedOffColor;
        if (!StartsWith(def.stationname, kSwitchedOffPrefix))
            def.stationname = std::string(kSwitchedOffPrefix) + def.stationname;
    }
    view_.RedrawPage();
}

// --- colours and fonts ---

void GraphCommands::RunColorsRow(int row, int slot) {
    if (std::optional<ColorsCommand> command = CommandAt(kColorsMenu, row)) RunColors(*command, slot);
}

void GraphCommands::RunColors(std::string_view entryText, int slot) {
    if (std::optional<ColorsCommand> command = CommandNamed(kColorsMenu, entryText)) RunColors(*command, slot);
}

void GraphCommands::RunColors(ColorsCommand command, int slot) {
    state_.setupdirty = true;
    if (!HasGraph(slot)) return;
    switch (command) {
        case ColorsCommand::BackColor:
        case ColorsCommand::Back2Color:
        case ColorsCommand::HourlyColor:
        case ColorsCommand::DailyColor: ChooseChartColor(command, slot); break;
        case ColorsCommand::CopyColors: CopyColors(slot); break;
        case ColorsCommand::FontsTitle: ChooseFont(true); break;
        case ColorsCommand::FontsAxis: ChooseFont(false); break;
        case ColorsCommand::Cancel: break;
    }
}

void GraphCommands::ChooseChartColor(ColorsCommand command, int slot) {
    GraphDef& def = Def(slot);
    int32_t* field = command == ColorsCommand::BackColor     ? &def.backcolor
                     : command == ColorsCommand::Back2Color  ? &def.back2color
                     : command == ColorsCommand::HourlyColor ? &def.hrcolor
                                                             : &def.daycolor;
    std::optional<int32_t> chosen = view_.ChooseColor(*field);
    if (!chosen) return;
    *field = *chosen;
    ApplyColors(slot);
    // Compass labels are boxes of the layout pass and take the new colours only there.
    if (command == ColorsCommand::BackColor && static_cast<size_t>(state_.currentpage) < state_.labels.size() &&
        IsDirectionUnit(state_.labels[static_cast<size_t>(state_.currentpage)].at(static_cast<size_t>(slot)).unit))
        view_.LayoutPage();
}

// The graph's four colours on its chart, in the places drawing puts them, with the
// title and axes black on any backdrop but black, where they turn white.
void GraphCommands::ApplyColors(int slot) {
    const GraphDef& def = Def(slot);
    ChartSurface& chart = render_.charts[static_cast<size_t>(slot)];
    int32_t contrast = ContrastColor(def.backcolor);
    chart.SetBackdropColor(ChartColor(def.backcolor));
    chart.SetAxisColor(contrast);
    chart.Title().font.color = TitleColor(render_.titles[static_cast<size_t>(slot)], contrast);
    chart.SetPlotWallColor(ChartColor(def.back2color));

    ChartSeries& main = chart.Series(1);
    main.pen.color = ChartColor(def.hrcolor);
    main.marker.penColor = ChartColor(def.hrcolor);
    ChartSeries& daily = chart.Series(3);
    daily.pen.color = ChartColor(def.daycolor);
    daily.marker.penColor = ChartColor(def.daycolor);
    daily.marker.fillColor = ChartColor(def.daycolor);
    view_.RefreshChart(slot);
}

void GraphCommands::CopyColors(int slot) {
    const GraphDef from = Def(slot);
    for (int s = 0; s < kGraphsPerPage; ++s) {
        GraphDef& to = Def(s);
        if (to.Kind() != SlotKind::Graph) continue;  // web screens and empty slots keep theirs
        to.backcolor = from.backcolor;
        to.back2color = from.back2color;
        to.hrcolor = from.hrcolor;
        to.daycolor = from.daycolor;
        ApplyColors(s);
    }
    if (Enlarged())
        Shrink();
    else
        view_.LayoutPage();
}

void GraphCommands::ChooseFont(bool title) {
    std::string& name = title ? state_.settings.titlefontname : state_.settings.axisfontname;
    int16_t& size = title ? Page().titlefontsize : Page().axisfontsize;
    std::optional<FontChoice> chosen = view_.ChooseFont({name, static_cast<double>(size)});
    if (!chosen) return;
    std::optional<int16_t> points = WholePoints(chosen->size);
    if (!points) return;
    name = chosen->name;
    size = *points;
    view_.LayoutPage();
}

// --- watch levels ---

WatchLevelTexts GraphCommands::WatchLevelsOf(int slot) const {
    if (!HasGraph(slot)) return {};
    const GraphDef& def = state_.pages.Graph(state_.currentpage, slot);
    return {CStr(def.highwatch), CStr(def.lowwatch), CStr(def.watchcount)};
}

void GraphCommands::ApplyWatchLevels(int slot, const WatchLevelTexts& texts) {
    if (!HasGraph(slot)) return;
    double high = Val(texts.high), low = Val(texts.low);
    // A level beyond any reading would widen the value axis past what it can divide.
    if (!(std::abs(high) <= kLargestWatchLevel && std::abs(low) <= kLargestWatchLevel)) {
        host_.Report({"Watch levels must lie between -1E+12 and 1E+12; the levels were not changed."},
                     Severity::Warning);
        return;
    }
    GraphDef& def = Def(slot);
    def.highwatch = high;
    def.lowwatch = low;
    // A count beyond what the model holds keeps the one it had.
    if (std::optional<int16_t> count = CInt(Val(texts.count))) def.watchcount = *count;
    view_.RedrawPage();
}

}  // namespace tidemark
