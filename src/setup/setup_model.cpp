#include "setup/setup_model.h"

#include <algorithm>

namespace tidemark {

void SizePageSet(PageSet& set, int pagesInFile) {
    set = PageSet{};
    int n = std::clamp(pagesInFile, 0, 32767);
    set.pagecount = static_cast<int16_t>(n);
    // Page numbers are 16-bit, so the room for added pages ends at 32767.
    set.tableroom = std::min(n + kPageRoom, 32767);
    set.pages.resize(static_cast<size_t>(set.tableroom + (kFlagRoom - kPageRoom) + 1));
}

void CreateAlertTable(PageSet& set) {
    if (set.HasAlertTable()) return;
    set.alerts.resize(set.pages.size());
}

}  // namespace tidemark
