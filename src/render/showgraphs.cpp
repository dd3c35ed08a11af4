#include "render/showgraphs.h"

#include <exception>
#include <string>

#include "core/color.h"
#include "core/vbtext.h"

namespace tidemark {
namespace {

void ClearSlots(RenderState& render, PageView& view, const PageRec& page) {
    view.HideBrowsers();
    for (int g = 0; g < kGraphsPerPage; ++g) {
        ChartSurface& chart = render.charts[static_cast<size_t>(g)];
        chart.SetEnabled(false);
        chart.SetVisible(false);
        view.HideSlotBoxes(g);
        render.warningFlags[static_cast<size_t>(g)] = kWarningClear;
        render.watchCrossings[static_cast<size_t>(g)] = WatchCrossing::None;
        if (page.slots[static_cast<size_t>(g)].Kind() == SlotKind::Empty) {
            chart.SetColumnCount(0);
            chart.SetRowCount(0);
            chart.SetTitleText("");
            render.titles[static_cast<size_t>(g)].clear();
        }
    }
}

// While an image cycle runs, every page drawn is saved until the cycle's first page
// comes round again.
void SavePendingImage(ProgramState& state, Host& host, PageView& view, const PageRec& page) {
    int& marker = state.imageCycleMarker;
    if (marker == 0) return;
    if (marker == state.currentpage) {
        marker = 0;
        view.FocusMainTextBox();
        return;
    }
    if (state.autostartseconds != 0) {
        // Unattended: give the window time to paint before it is captured.
        view.StopPagingTimer();
        host.Yield();
        view.WaitMilliseconds(200);
        host.Yield();
        if (!page.ftpoff) view.SavePageImage();
        view.RestartPagingTimer();
    } else {
        view.SavePageImage();
    }
    if (marker < 0) marker = state.currentpage;
}

// A web screen's backcolor is the index of its browser, not a colour: behind a page whose
// first slot is one, the window is white, as a document's own backdrop is.
int32_t PageBackground(const PageRec& page) {
    const GraphDef& first = page.slots[0];
    return first.Kind() == SlotKind::WebScreen ? RGB(255, 255, 255) : first.backcolor;
}

}  // namespace

void showgraphs(ProgramState& state, RenderState& render, Host& host, PageView& view) {
    view.BeginDrawing();
    render.pageFaults.clear();
    host.Yield();

    int pageNumber = state.currentpage;
    if (!state.pages.ValidPage(pageNumber) || static_cast<size_t>(pageNumber) >= state.pages.pages.size()) {
        // Nothing loaded to draw; leave the window usable.
        view.LayoutPage();
        view.EndDrawing();
        host.Yield();
        return;
    }
    const PageRec& page = state.pages.Page(pageNumber);

    host.SetCaption(page.title + FormatDate(state.lastUpdate, " yyyy-mmm-dd") + " updated at " +
                    FormatDate(state.lastUpdate, "hh:mm AMPM"));
    view.SetBackgroundColor(PageBackground(page));
    ClearSlots(render, view, page);

    double now = host.Now();
    for (int g = 0; g < kGraphsPerPage; ++g) {
        if (!page.slots[static_cast<size_t>(g)].IsDrawnGraph()) continue;
        try {
            DrawGraph(state, render, view, pageNumber, g, now);
        } catch (const std::exception& e) {
            render.pageFaults.push_back("Page " + std::to_string(pageNumber) + ", Chart " + std::to_string(g + 1) +
                                        ": " + e.what());
            if (state.autostartseconds == 0)
                host.Report({std::string(e.what()) + "\nPage " + std::to_string(pageNumber) + ", Chart " +
                                 std::to_string(g + 1),
                             {},
                             pageNumber},
                            Severity::Note);
            ChartSurface& chart = render.charts[static_cast<size_t>(g)];
            if (chart.RowCount() == 0) chart.SetRowCount(kEmptyGridRows);
        }
    }

    view.LayoutPage();
    view.EndDrawing();
    host.Yield();
    SavePendingImage(state, host, view, page);
}

}  // namespace tidemark
