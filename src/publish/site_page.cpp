#include "publish/site_page.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/daynum.h"
#include "core/html_text.h"
#include "render/titles.h"

namespace tidemark {
namespace {

std::string Escaped(const std::string& programText) { return HtmlEscaped(Utf8Text(programText)); }

// Station and parameter as the title of the graph reads.
std::string GraphName(const GraphReading& r) {
    if (r.parameter.empty()) return r.station;
    if (r.station.empty()) return r.parameter;
    return r.station + ", " + r.parameter;
}

std::string PageName(const PublishedPage& page) {
    return page.name.empty() ? "Page " + std::to_string(page.page) : page.name;
}

std::string Figure(const PublishedPage& page) {
    std::string html = "<figure class=\"tidemark-page\" id=\"page-" + std::to_string(page.page) + "\">\n";
    for (const PublishedImage& image : page.images)
        html += "<img src=\"" + HtmlEscaped(image.fileName) + "\" width=\"" + std::to_string(image.width) +
                "\" height=\"" + std::to_string(image.height) + "\" alt=\"" + Escaped(ShortAltText(page, image)) +
                "\">\n";
    if (!page.graphs.empty()) {
        html += "<details>\n<summary>What the graphs show</summary>\n<ul>\n";
        for (const GraphReading& r : page.graphs) html += "<li>" + Escaped(GraphSentence(r)) + "</li>\n";
        html += "</ul>\n</details>\n";
    }
    std::string caption = PageName(page);
    if (page.dataTime != 0) caption += ", data to " + ReadableTime(page.dataTime);
    html += "<figcaption>" + Escaped(caption) + "</figcaption>\n</figure>\n";
    return html;
}

// Where the template's head element opens, just after its start tag; npos when none.
size_t AfterHeadTag(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (size_t at = lower.find("<head"); at != std::string::npos; at = lower.find("<head", at + 1)) {
        char next = at + 5 < lower.size() ? lower[at + 5] : '\0';
        if (next != '>' && !std::isspace(static_cast<unsigned char>(next))) continue;  // <header>
        size_t end = lower.find('>', at);
        return end == std::string::npos ? end : end + 1;
    }
    return std::string::npos;
}

}  // namespace

std::string ReadableTime(double day) {
    if (day == 0) return {};
    CivilTime c = ToCivil(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", c.year, c.month, c.day, c.hour, c.minute);
    return buffer;
}

std::string GraphSentence(const GraphReading& r) {
    std::string s = GraphName(r) + ": ";
    if (r.HasValue()) {
        s += ValueText(r.value, r.unit);
        if (!r.unit.empty()) s += " " + r.unit;
        if (r.time != 0) s += " at " + ReadableTime(r.time);
    } else {
        s += "no current value";
    }
    if (std::string watch = WatchText(r.watch); !watch.empty()) s += ", " + watch;
    if (r.flood) s += ", flood category " + FloodCategoryName(*r.flood);
    return s + ".";
}

std::string ShortAltText(const PublishedPage& page, const PublishedImage& image) {
    std::vector<std::string> names;
    for (const GraphReading& r : page.graphs)
        if (image.slot < 0 || r.slot == image.slot) names.push_back(GraphName(r));
    std::string alt =
        image.slot < 0 ? "Graphs of " + PageName(page) : PageName(page) + ", graph " + std::to_string(image.slot + 1);
    for (size_t i = 0; i < names.size(); ++i) alt += (i == 0 ? ": " : "; ") + names[i];
    return alt;
}

std::string PageFigures(const std::vector<PublishedPage>& pages) {
    std::string html;
    for (const PublishedPage& page : pages) html += Figure(page);
    return html;
}

Result<std::string> SitePageHtml(const std::string& templateText, const std::vector<PublishedPage>& pages,
                                 int refreshSeconds) {
    size_t marker = templateText.find(kSitePagesMarker);
    if (marker == std::string::npos)
        return Fault{std::string(kSiteTemplateFileName) + " has no " + kSitePagesMarker + " where the pages go"};
    size_t head = AfterHeadTag(templateText);
    if (head == std::string::npos || head > marker)
        return Fault{std::string(kSiteTemplateFileName) + " has no <head> before " + kSitePagesMarker};
    std::string html = templateText.substr(0, head);
    html += "\n<meta http-equiv=\"refresh\" content=\"" + std::to_string(std::max(refreshSeconds, 1)) + "\">";
    html += templateText.substr(head, marker - head);
    html += PageFigures(pages);
    html += templateText.substr(marker + std::string(kSitePagesMarker).size());
    return html;
}

}  // namespace tidemark
