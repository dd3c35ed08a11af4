#include "pages/navigation.h"

namespace tidemark {
namespace {

bool IsRemoved(const PageSet& pages, int page) {
    return page >= 0 && static_cast<size_t>(page) < pages.pages.size() &&
           pages.pages[static_cast<size_t>(page)].removed;
}

bool AllRemoved(const PageSet& pages) {
    for (int p = 1; p <= pages.pagecount; ++p)
        if (!IsRemoved(pages, p)) return false;
    return true;
}

int Unchanged(int current) { return current < 1 ? 1 : current; }

}  // namespace

int NextPageNumber(const PageSet& pages, int current) {
    // A set whose pages are all removed would send the skip loops round for ever.
    if (pages.pagecount < 1 || AllRemoved(pages)) return Unchanged(current);
    int p = current + 1;
    while (IsRemoved(pages, p)) ++p;
    if (p > pages.pagecount) {
        p = 1;
        while (IsRemoved(pages, p)) ++p;
    }
    return p;
}

int PreviousPageNumber(const PageSet& pages, int current) {
    if (pages.pagecount < 1 || AllRemoved(pages)) return Unchanged(current);
    int p = current - 1;
    if (p > pages.pagecount) p = pages.pagecount;
    while (p >= 1 && IsRemoved(pages, p)) --p;
    if (p < 1) {
        p = pages.pagecount;
        while (p >= 1 && IsRemoved(pages, p)) --p;
    }
    return p;
}

PageTurn NextPageTurn(const ProgramState& state) {
    PageTurn turn;
    turn.page = NextPageNumber(state.pages, state.currentpage);
    // A page the cycle has not written yet (one turned away from before its image was
    // taken) keeps the run going for another lap.
    turn.endsRun = state.autostartseconds != 0 && turn.page == state.imageCycleMarker && ImageCycleComplete(state);
    return turn;
}

}  // namespace tidemark
