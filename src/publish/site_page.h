#pragma once
// The web page that shows the published page images: the site's own template with its
// marked place filled by one figure per page (the image, a caption, and a text that says
// what the graphs show, for readers who cannot see them), refreshing itself once a round.
#include <string>
#include <vector>

#include "core/result.h"
#include "publish/page_readings.h"

namespace tidemark {

inline constexpr const char* kSiteTemplateFileName = "Tidemark_site.html";
inline constexpr const char* kSitePageFileName = "index.html";
// The place in the template the figures go.
inline constexpr const char* kSitePagesMarker = "<!-- tidemark:pages -->";

// A day number as "2026-12-08 14:40"; empty for 0.
std::string ReadableTime(double day);

// One graph in words: "Station, Parameter: 12.3 ft at 2026-12-08 14:00, above the high
// watch level, flood category Minor." Program text, not yet escaped.
std::string GraphSentence(const GraphReading& reading);

// The image's short alternative text: the page's name and the stations it graphs.
std::string ShortAltText(const PublishedPage& page, const PublishedImage& image);

// The figures of all pages, UTF-8 HTML.
std::string PageFigures(const std::vector<PublishedPage>& pages);

// The template (UTF-8) with the figures at its marker and a refresh of `refreshSeconds`
// at the start of its head. A template without the marker or a head is a fault.
Result<std::string> SitePageHtml(const std::string& templateText, const std::vector<PublishedPage>& pages,
                                 int refreshSeconds);

}  // namespace tidemark
