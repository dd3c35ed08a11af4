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

// While an image cycle runs, every page drawn is saved once, until the cycle's first page
// comes round again after every page has been. A page is drawn again without a turn (a
// reload, a command's redraw) or turned to before its image was taken (while the window
// drew or waited for it): neither may end the cycle, skip a page or write one twice.
void SavePendingImage(ProgramState& state, Host& host, PageView& view, const PageRec& page, int pageNumber) {
    int& marker = state.imageCycleMarker;
    if (marker == 0) return;
    // Turned away while this page was drawn: the page turned to is drawn next and saved then.
    if (state.currentpage != pageNumber) return;
    if (marker < 0) {
        state.imageCycleDone.clear();
    } else if (state.imageCycleDone.contains(pageNumber)) {
        if (pageNumber == marker && ImageCycleComplete(state)) {
            marker = 0;
            state.imageCycleDone.clear();
            view.FocusMainTextBox();
        }
        return;
    }
    if (state.autostartseconds != 0) {
        // Unattended: give the window time to paint before it is captured.
        view.StopPagingTimer();
        host.Yield();
        view.WaitMilliseconds(200);
        host.Yield();
        if (!page.ftpoff && state.currentpage == pageNumber) view.SavePageImage();
        view.RestartPagingTimer();
    } else {
        view.SavePageImage();
    }
    // Turned away before the image was taken: this page is saved when it comes round.
    if (state.currentpage != pageNumber) return;
    state.imageCycleDone.insert(pageNumber);
    if (marker < 0) marker = pageNumber;
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
    SavePendingImage(state, host, view, page, pageNumber);
}

}  // namespace tidemark
