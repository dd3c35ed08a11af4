#pragma once
// What the published site holds: for each page, the images that reached it and the
// readings those images show. A round whose image of a page did not arrive leaves the
// site with that page's older image, so the site's text must keep telling the older
// values there; the record, kept beside the site files the program writes, remembers
// them from round to round (and from run to run, as every unattended round is a run).
#include <string>
#include <vector>

#include "core/result.h"
#include "publish/page_readings.h"

namespace tidemark {

inline constexpr const char* kSiteRecordFileName = ".Tidemark_site_record.json";

// The pages as the site holds them after `round`, in page order: an image that arrived
// brings its readings; one that did not is replaced by the image of the same name in
// `held` with the readings it was published with, or dropped when `held` has none (the
// site has no image of this round to describe). A page left with no image is left out.
std::vector<PublishedPage> PagesTheSiteHolds(const std::vector<PublishedPage>& round,
                                             const std::vector<PublishedPage>& held);

// The record after a round: the pages it published, and every other page the record
// held, in page order.
std::vector<PublishedPage> UpdatedRecord(const std::vector<PublishedPage>& published,
                                         const std::vector<PublishedPage>& held);

// The record in `folder`; empty when there is none yet. A damaged record is a fault.
Result<std::vector<PublishedPage>> ReadSiteRecord(const std::string& folder);
// Replaces the record in `folder` whole.
Result<void> WriteSiteRecord(const std::string& folder, const std::vector<PublishedPage>& pages);

}  // namespace tidemark
