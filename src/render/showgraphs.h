#pragma once
// Drawing the current page: every graph slot's chart is filled from its GraphDef and
// its fetched series, its title and current value composed, its watch levels checked,
// and the page laid out.
//
// Calls on the PageView, in order: BeginDrawing, SetBackgroundColor, HideBrowsers,
// HideSlotBoxes for each slot, StartWarningBlink when a watch level is crossed (not
// in command-line mode), LayoutPage, EndDrawing, then the page-image steps while an
// image cycle runs.
#include "core/host.h"
#include "data/program_state.h"
#include "render/page_view.h"
#include "render/render_state.h"

namespace tidemark {

// Draws page `state.currentpage`. A fault in one graph is reported through the Host
// (not in command-line mode) as its description, a line feed, "Page p, Chart s", and
// drawing goes on with the next graph.
void showgraphs(ProgramState& state, RenderState& render, Host& host, PageView& view);

// The rows a chart with no data gets, drawn or failed, so that its grid still shows.
inline constexpr int kEmptyGridRows = 6;

// Draws one graph slot (0-11) of a page at the present time `now`; throws on a fault.
// Reads the setup and the series without changing them.
// Used by showgraphs for every slot that holds a drawn graph.
void DrawGraph(const ProgramState& state, RenderState& render, PageView& view, int page, int slot, double now);

// The pen widths drawing uses: the setup's, or those it chose for the screen.
PenWidths PensInUse(const SetupSettings& settings, const RenderState& render);

// The line and marker settings of the main, daily and second series for the graph's
// marker modes (hrmarker, daymarker), exactly as drawing sets them, so that a changed
// mode can be shown at once without drawing the page again.
void ApplyMarkerModes(ChartSurface& chart, const GraphDef& def, PenWidths pens);

}  // namespace tidemark
