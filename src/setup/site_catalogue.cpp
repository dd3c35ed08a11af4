#include "setup/site_catalogue.h"

#include <algorithm>
#include <utility>

#include "setup/setup_model.h"

namespace tidemark {

bool SiteCatalogue::Append(SiteEntry entry) {
    if (Full()) return false;
    entries_.push_back(std::move(entry));
    return true;
}

bool SiteCatalogue::AppendWebScreen(const std::string& address, int32_t back2color, int32_t hrcolor) {
    SiteEntry e;
    e.dsid = kWebScreenDsid;
    e.sitename = address;
    e.datatypeid = 0;
    e.datatypename = "Web Screen";
    e.allownavigation = std::to_string(back2color);
    e.fitimage = std::to_string(hrcolor);
    return Append(std::move(e));
}

void SiteCatalogue::Reserve(int count) { entries_.reserve(static_cast<size_t>(std::clamp(count, 0, kMaxEntries))); }

}  // namespace tidemark
