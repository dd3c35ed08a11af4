#pragma once
// The web page and the data feed of an image round, written beside the round's images
// once they are all out.
#include <ctime>
#include <string>
#include <vector>

#include "core/result.h"
#include "publish/page_readings.h"

namespace tidemark {

// Whether the program folder holds the web page's template: without it a round publishes
// its images only.
bool SiteTemplateExists(const std::string& programFolder);

// Whether the program folder's template asks for a picture per graph beside each page's
// picture; false without a template, or one that cannot be read.
bool SiteAsksForGraphPictures(const std::string& programFolder);

// How often the page checks for new data: one round, every published page shown for `pageSeconds`.
int RoundSeconds(int pageSeconds, size_t pageCount);

struct SiteFilesWritten {
    // In the order they are to be sent: the page last, so a visitor never gets a page
    // that names files that have not arrived. Empty when the site holds no image of
    // the round's pages to describe.
    std::vector<std::string> paths;
    // Something the operator should hear of that did not stop the files (a damaged
    // record of what the site held); empty when all went well.
    std::string warning;
};

// How the files a round publishes begin: the images and the feed "Tidemark_", the page
// "index.html".
std::vector<std::string> PublishedNamePrefixes();

// Removes from `folder` the temporary files that writes of the program's images and site
// files left there when a run was killed, last changed before `roundStart` (a write of
// a round still running is younger). Returns how many were removed.
int RemoveStaleSiteTemps(const std::string& folder, std::time_t roundStart);

// Writes Tidemark_values.json, Tidemark_values.csv and index.html into `folder` (each
// whole or not at all) from the template in the program folder, telling the pages in
// page order as the site holds them after `round` (see PagesTheSiteHolds: where an
// image did not arrive, what the site held before is told), and keeps the record of
// what the site holds in `folder`.
Result<SiteFilesWritten> WriteSiteFiles(const std::string& programFolder, const std::string& folder,
                                        const std::vector<PublishedPage>& round, int refreshSeconds, double generated);

}  // namespace tidemark
