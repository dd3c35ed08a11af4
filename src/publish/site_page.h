#pragma once
// The web page that shows the published page images: the site's own template with its
// marked place filled by the status line (the time of the data, and a button that pauses
// the updates the page's script makes) and one section per page (its name as a heading,
// its pictures, its values as a table, the text of its web screens), for readers who see
// the pictures and for those who cannot.
#include <string>
#include <vector>

#include "core/result.h"
#include "publish/page_readings.h"

namespace tidemark {

inline constexpr const char* kSiteTemplateFileName = "Tidemark_site.html";
inline constexpr const char* kSitePageFileName = "index.html";
// The place in the template the pages go.
inline constexpr const char* kSitePagesMarker = "<!-- tidemark:pages -->";
// A template with this line asks for a picture per graph beside each page's picture, which
// narrow screens show one per row.
inline constexpr const char* kSiteGraphPicturesMarker = "<!-- tidemark:graph-pictures -->";

// A day number as "2026-12-08 14:40"; empty for 0.
std::string ReadableTime(double day);

// The image's short alternative text (UTF-8): the page's name, the stations it graphs and
// the documents it shows.
std::string ShortAltText(const PublishedPage& page, const PublishedImage& image);

// The status line and the sections of all pages, UTF-8 HTML.
std::string PageSections(const std::vector<PublishedPage>& pages, int refreshSeconds);

// Whether the template asks for graph pictures (kSiteGraphPicturesMarker).
bool TemplateAsksForGraphPictures(const std::string& templateText);

// The template (UTF-8) with the pages at its marker, inside a <main> unless the template
// has its own, and the page's style and script at the end of its head; the script checks
// the data feed every `refreshSeconds`. A template without the marker or a head is a
// fault.
Result<std::string> SitePageHtml(const std::string& templateText, const std::vector<PublishedPage>& pages,
                                 int refreshSeconds);

}  // namespace tidemark
