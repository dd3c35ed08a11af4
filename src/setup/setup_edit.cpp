#include "setup/setup_edit.h"

#include "core/vbtext.h"
#include "setup/web_screen_slot.h"

namespace tidemark {
namespace {

constexpr int32_t kWhite = 16777215;
constexpr int32_t kRed = 255;

std::string CommasForSemicolons(std::string text) {
    // The semicolon separates the fields of a setup line.
    for (char& c : text)
        if (c == ';') c = ',';
    return text;
}

}  // namespace

NewGraph DefineNewGraph(NewGraphFields fields, PageSet& pages, SiteCatalogue& catalogue) {
    if (Trim(fields.dsid).empty()) {
        fields.dsid = std::to_string(kWebScreenDsid);
        fields.parameterName = kWebScreenParameterName;
    }
    std::optional<int16_t> dsid = ParseInt16(fields.dsid);
    if (!dsid)
        return {std::nullopt, "The series number \"" + fields.dsid + "\" is not a whole number from -32768 to 32767."};
    if (*dsid == kEmptySlotDsid) return {std::nullopt, "The series number 0 names no series."};

    GraphDef g;
    g.dsid = *dsid;
    g.parametername = CommasForSemicolons(fields.parameterName);
    g.stationname = CommasForSemicolons(fields.stationName);
    g.hrmarker = 0;
    g.daymarker = 1;
    g.logyscale = 0;
    if (g.Kind() == SlotKind::WebScreen) {
        if (pages.webscreencount == INT16_MAX) return {std::nullopt, "Too many web screens"};
        WebScreenSlot web(g);
        web.SetAllowNavigation(fields.allowNavigation);
        web.SetFitImage(fields.resize);
        const WebScreenSwitches on = web.Switches();
        if (!catalogue.AppendWebScreen(web.Address(), on.allowNavigation, on.fitImage))
            return {std::nullopt, "The site catalogue is full"};
        web.SetBrowserIndex(pages.webscreencount++);
    } else {
        g.backcolor = kWhite;
        g.back2color = kWhite;
        g.hrcolor = kRed;
        g.daycolor = kRed;
    }
    return {g, {}};
}

void KeepUnchangedWebScreenSettings(GraphDef& made, const GraphDef& replaced) {
    if (made.Kind() != SlotKind::WebScreen || replaced.Kind() != SlotKind::WebScreen) return;
    const WebScreenView before(replaced);
    WebScreenSlot after(made);
    WebScreenSwitches kept = before.Switches();
    if (after.AllowNavigation() != before.AllowNavigation()) kept.allowNavigation = after.Switches().allowNavigation;
    if (after.FitImage() != before.FitImage()) kept.fitImage = after.Switches().fitImage;
    after.SetSwitches(kept);
    if (after.Address() == before.Address()) after.SetSavedScroll(before.SavedScroll());
}

int16_t HighestUsedSlot(const PageRec& page) {
    for (int s = kGraphsPerPage - 1; s >= 0; --s)
        if (page.slots[static_cast<size_t>(s)].dsid != kEmptySlotDsid) return static_cast<int16_t>(s);
    return 0;
}

void DeleteGraph(PageSet& pages, int16_t& currentpage, int slot) {
    PageRec& page = pages.Page(currentpage);
    page.slots.at(static_cast<size_t>(slot)).dsid = kEmptySlotDsid;
    page.lastslot = HighestUsedSlot(page);
    bool empty = page.slots[static_cast<size_t>(page.lastslot)].dsid == kEmptySlotDsid;
    if (empty && currentpage == pages.pagecount && pages.pagecount > 1) {
        --pages.pagecount;
        currentpage = pages.pagecount;
    }
}

std::optional<int> FirstEmptySlot(const PageRec& page) {
    for (int s = 0; s < kGraphsPerPage; ++s)
        if (page.slots[static_cast<size_t>(s)].dsid == kEmptySlotDsid) return s;
    return std::nullopt;
}

bool AddPage(PageSet& pages, int16_t& currentpage, const PageRec& like) {
    if (pages.pagecount >= pages.tableroom) return false;
    ++pages.pagecount;
    PageRec& page = pages.Page(pages.pagecount);
    page = PageRec{};
    page.title = "New Page";
    page.titlefontsize = like.titlefontsize;
    page.axisfontsize = like.axisfontsize;
    page.yaxislabels = like.yaxislabels;
    currentpage = pages.pagecount;
    return true;
}

void DeletePage(PageSet& pages, int page) {
    PageRec& rec = pages.Page(page);
    rec.lastslot = 0;
    for (int s = 0; s < kGraphsPerPage; ++s) rec.slots[static_cast<size_t>(s)].dsid = kEmptySlotDsid;
    rec.removed = true;
    if (page == pages.pagecount)
        while (pages.pagecount > 0 && pages.Page(pages.pagecount).removed) --pages.pagecount;
    if (pages.pagecount == 0) {
        pages.pagecount = 1;
        pages.Page(1).removed = false;
    }
}

}  // namespace tidemark
