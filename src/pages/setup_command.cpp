#include "pages/setup_command.h"

#include "data/getvalues.h"
#include "data/series_kinds.h"

namespace tidemark {
namespace {

const char kNoOption[] = "Make an option selection or else cancel";
const char kTooManyPages[] = "Number of pages added will exceed session limits. Save and restart Tidemark.";
const char kDeletePage[] = "Do you want to DELETE THIS PAGE???";

// The frame's "Plot Unit Values" box decides what is fetched; a change means every page
// is fetched again.
void ApplyPlotUnitValues(ProgramState& state, SetupCommandView& view, bool plotUnitValues) {
    SetupSettings& s = state.settings;
    if (s.plotunitvalues == plotUnitValues) return;
    s.plotunitvalues = plotUnitValues;
    if (s.daysisspan) {
        s.days = static_cast<int16_t>(s.days - s.endday);
        s.daysisspan = false;
    }
    view.ReloadPages();
}

// The legends and unit the graph in `slot` is shown with, from its catalogue entry:
// what the slot held before, or nothing on a new page, must not stay with the new series.
void ShowLabelsOf(ProgramState& state, int page, int slot) {
    if (state.labels.size() <= static_cast<size_t>(page))
        state.labels.resize(static_cast<size_t>(page) + 1, std::vector<SeriesLabels>(kGraphsPerPage));
    const PageRec& rec = state.pages.Page(page);
    const GraphDef& g = rec.slots.at(static_cast<size_t>(slot));
    state.labels[static_cast<size_t>(page)].at(static_cast<size_t>(slot)) =
        g.Kind() == SlotKind::WebScreen ? SeriesLabels{} : SeriesLabelsFor(g, state.catalogue, state.settings, rec);
}

// Puts the frame's graph into `slot` of the current page and fetches it. False after a
// fault, which has been shown.
bool PlaceNewGraph(ProgramState& state, Host& host, SetupCommandView& view, const NewGraphFields& fields, int slot) {
    NewGraph made = DefineNewGraph(fields, state.pages, state.catalogue);
    if (!made.def) {
        host.Report({made.fault}, Severity::Warning);
        return false;
    }
    int page = state.currentpage;
    PageRec& rec = state.pages.Page(page);
    GraphDef& g = rec.slots.at(static_cast<size_t>(slot));
    made.def->page = static_cast<int16_t>(page);
    made.def->slot = static_cast<int16_t>(slot);
    KeepUnchangedWebScreenSettings(*made.def, g);
    g = *made.def;
    // The second-series slot belongs to the graph that was here before.
    rec.slots.at(static_cast<size_t>(slot + kSecondSeriesOffset)) = GraphDef{};
    rec.runsuffix.at(static_cast<size_t>(slot)).clear();
    rec.runnumber.at(static_cast<size_t>(slot)) = 0;
    if (slot > rec.lastslot) rec.lastslot = static_cast<int16_t>(slot);
    ShowLabelsOf(state, page, slot);
    if (g.Kind() == SlotKind::WebScreen)
        view.PrepareWebScreen(page, slot);
    else
        Getvalues1(state, host, page, slot);
    return true;
}

SetupCommandOutcome SaveAll(ProgramState& state, Host& host, SetupCommandView& view) {
    view.ShowSaving(true);
    state.setupdirty = false;
    Result<void> saved = view.SaveSetup();
    view.ShowSaving(false);
    if (saved.ok()) return SetupCommandOutcome::Done;
    // The changes are still only in memory.
    state.setupdirty = true;
    host.Report({saved.error()}, Severity::Fatal);
    return SetupCommandOutcome::Failed;
}

SetupCommandOutcome CarryOut(ProgramState& state, Host& host, SetupCommandView& view, const SetupFrameState& frame,
                             int slot) {
    PageSet& pages = state.pages;
    switch (*frame.option) {
        case SetupOption::DeleteGraph: DeleteGraph(pages, state.currentpage, slot); return SetupCommandOutcome::Done;
        case SetupOption::ReplaceGraph:
            return PlaceNewGraph(state, host, view, frame.graph, slot) ? SetupCommandOutcome::Done
                                                                       : SetupCommandOutcome::Failed;
        case SetupOption::AddToPage: {
            std::optional<int> free = FirstEmptySlot(pages.Page(state.currentpage));
            if (!free) return SetupCommandOutcome::Refused;
            return PlaceNewGraph(state, host, view, frame.graph, *free) ? SetupCommandOutcome::Done
                                                                        : SetupCommandOutcome::Failed;
        }
        case SetupOption::AddOnNewPage: {
            PageRec like = pages.Page(state.currentpage);
            if (!AddPage(pages, state.currentpage, like)) {
                host.Report({kTooManyPages}, Severity::Warning);
                return SetupCommandOutcome::Refused;
            }
            return PlaceNewGraph(state, host, view, frame.graph, 0) ? SetupCommandOutcome::Done
                                                                    : SetupCommandOutcome::Failed;
        }
        case SetupOption::SaveAll: return SaveAll(state, host, view);
        case SetupOption::DeletePage:
            if (!host.Confirm(kDeletePage)) return SetupCommandOutcome::Done;
            DeletePage(pages, state.currentpage);
            view.NextPage();
            return SetupCommandOutcome::Done;
    }
    return SetupCommandOutcome::Done;
}

}  // namespace

SetupCommandOutcome CommandSave(ProgramState& state, Host& host, SetupCommandView& view, const SetupFrameState& frame,
                                int slot, bool fromClose) {
    if (!frame.option) {
        host.Report({kNoOption}, Severity::Warning);
        return SetupCommandOutcome::NoOption;
    }
    int page = state.currentpage;
    if (!state.pages.ValidPage(page) || page < 1 || slot < 0 || slot >= kGraphsPerPage)
        return SetupCommandOutcome::Refused;
    state.setupdirty = true;
    state.pages.Page(page).title = frame.pageTitle;
    host.SetCaption(frame.pageTitle);
    ApplyPlotUnitValues(state, view, frame.plotUnitValues);

    SetupCommandOutcome outcome = CarryOut(state, host, view, frame, slot);
    if (!fromClose) view.RedrawPage();
    return outcome;
}

}  // namespace tidemark
