#pragma once
// The web page and the data feed of an image round, written beside the round's images
// once they are all out.
#include <string>
#include <vector>

#include "core/result.h"
#include "publish/page_readings.h"

namespace tidemark {

// Whether the program folder holds the web page's template: without it a round publishes
// its images only.
bool SiteTemplateExists(const std::string& programFolder);

// The page's refresh: one round, every published page shown for `pageSeconds`.
int RoundSeconds(int pageSeconds, size_t pageCount);

// Writes Tidemark_values.json, Tidemark_values.csv and index.html into `folder` (each
// whole or not at all) from the template in the program folder. Returns their paths in
// the order they are to be sent: the page last, so a visitor never gets a page that
// names files that have not arrived.
Result<std::vector<std::string>> WriteSiteFiles(const std::string& programFolder, const std::string& folder,
                                                const std::vector<PublishedPage>& pages, int refreshSeconds,
                                                double generated);

}  // namespace tidemark
