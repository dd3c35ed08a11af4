#include "publish/site_page.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/daynum.h"
#include "core/html_text.h"
#include "publish/values_feed.h"
#include "render/titles.h"
#include "site_assets.h"

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

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Where a start tag `<name` (followed by a space or '>') begins in the lower-cased
// `lower`, from `from`; npos when there is none. "<header>" is not "<head>".
size_t FindStartTag(const std::string& lower, const std::string& name, size_t from = 0) {
    const std::string open = "<" + name;
    for (size_t at = lower.find(open, from); at != std::string::npos; at = lower.find(open, at + 1)) {
        char next = at + open.size() < lower.size() ? lower[at + open.size()] : '\0';
        if (next == '>' || std::isspace(static_cast<unsigned char>(next))) return at;
    }
    return std::string::npos;
}

std::string TimeElement(double day) {
    return "<time datetime=\"" + IsoLocalTime(day) + "\">" + ReadableTime(day) + "</time>";
}

std::string DataTimeText(double day) { return day == 0 ? "No data time" : "Data to " + TimeElement(day); }

std::string ImageTag(const PublishedPage& page, const PublishedImage& image, const std::string& cssClass, bool lazy) {
    std::string tag = "<img";
    if (!cssClass.empty()) tag += " class=\"" + cssClass + "\"";
    tag += " src=\"" + HtmlEscaped(image.fileName) + "\" width=\"" + std::to_string(image.width) + "\" height=\"" +
           std::to_string(image.height) + "\" alt=\"" + HtmlEscaped(ShortAltText(page, image)) + "\"";
    if (lazy) tag += " loading=\"lazy\"";
    return tag + ">";
}

// The page's picture and its graph pictures: a narrow screen shows the graphs one per
// row, a wide one the whole page.
std::string Pictures(const PublishedPage& page, bool first) {
    const PublishedImage* whole = nullptr;
    std::vector<const PublishedImage*> graphs;
    for (const PublishedImage& image : page.images) {
        if (image.slot < 0 && !whole) whole = &image;
        if (image.slot >= 0) graphs.push_back(&image);
    }
    std::string kind = whole && !graphs.empty() ? " tidemark-both" : whole ? "" : " tidemark-only-graphs";
    std::string html = "<div class=\"tidemark-pictures" + kind + "\">\n";
    // Only the first page's picture is fetched at once, and not where narrow screens show
    // its graphs instead: a hidden eager picture would be fetched for nothing.
    if (whole) html += ImageTag(page, *whole, "tidemark-whole", !first || !graphs.empty()) + "\n";
    if (!graphs.empty()) {
        html += "<ul class=\"tidemark-graphs\">\n";
        for (const PublishedImage* image : graphs) html += "<li>" + ImageTag(page, *image, "", true) + "</li>\n";
        html += "</ul>\n";
    }
    return html + "</div>\n";
}

std::string WatchCell(WatchCrossing crossing) {
    std::string text = WatchText(crossing);
    if (text.empty()) return "None";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string ValueRow(const GraphReading& r) {
    std::string value = "No current value";
    if (r.HasValue()) value = Escaped(ValueText(r.value, r.unit) + (r.unit.empty() ? "" : " " + r.unit));
    std::string html = "<tr><th scope=\"row\">" + Escaped(r.station) + "</th><td>" + Escaped(r.parameter) +
                       "</td><td>" + value + "</td><td>" + (r.time != 0 ? TimeElement(r.time) : std::string("None")) +
                       "</td><td>" + WatchCell(r.watch) + "</td><td>" +
                       (r.flood ? FloodCategoryName(*r.flood) : "None") + "</td></tr>\n";
    return html;
}

std::string ValuesTable(const PublishedPage& page, const std::string& id) {
    if (page.graphs.empty()) return {};
    const std::string heading = id + "-values";
    std::string html = "<details class=\"tidemark-values\">\n<summary><h3 id=\"" + heading +
                       "\" data-tidemark-text=\"values-name\">Values of " + Escaped(PageName(page)) +
                       "</h3></summary>\n";
    html += "<div class=\"tidemark-table\" role=\"region\" aria-labelledby=\"" + heading + "\" tabindex=\"0\">\n";
    html += "<table aria-labelledby=\"" + heading +
            "\">\n<thead><tr><th scope=\"col\">Station</th>"
            "<th scope=\"col\">Parameter</th><th scope=\"col\">Value</th><th scope=\"col\">Time</th>"
            "<th scope=\"col\">Watch level</th><th scope=\"col\">Flood category</th></tr></thead>\n";
    html += "<tbody data-tidemark-text=\"values\">\n";
    for (const GraphReading& r : page.graphs) html += ValueRow(r);
    return html + "</tbody>\n</table>\n</div>\n</details>\n";
}

std::string KindName(DocumentKind kind) {
    switch (kind) {
        case DocumentKind::Html: return "Web page";
        case DocumentKind::Pdf: return "PDF document";
        case DocumentKind::Workbook: return "Workbook";
    }
    return "Document";
}

// The name a reader knows the document by: its address when the site links it, else its
// file name (a local path says nothing to a reader and something to an intruder).
std::string DocumentName(const PublishedDocument& d) {
    if (!d.link.empty()) return d.address;
    size_t slash = d.address.find_last_of("/\\");
    return slash == std::string::npos ? d.address : d.address.substr(slash + 1);
}

// The text, a paragraph per line the engine rendered.
std::string Paragraphs(const std::string& text) {
    std::string html;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.find_first_not_of(" \t\r") != std::string::npos) html += "<p>" + HtmlEscaped(line) + "</p>\n";
        start = end + 1;
    }
    return html;
}

std::string Document(const PublishedDocument& d, const std::string& sectionId) {
    const std::string part = "document-" + std::to_string(d.slot + 1);
    const std::string heading = d.kind == DocumentKind::Html && !d.title.empty() ? d.title : DocumentName(d);
    std::string html = "<div class=\"tidemark-document\">\n<h3 id=\"" + sectionId + "-" + part +
                       "\" data-tidemark-text=\"" + part + "-name\">" + HtmlEscaped(KindName(d.kind) + ": " + heading) +
                       "</h3>\n<div class=\"tidemark-document-text\" data-tidemark-text=\"" + part + "\">\n";
    if (!d.link.empty())
        html += "<p><a href=\"" + HtmlEscaped(d.link) + "\">" + HtmlEscaped(DocumentName(d)) + "</a></p>\n";
    else if (d.kind != DocumentKind::Html)
        html += "<p>" + HtmlEscaped(DocumentName(d)) + " (shown in the picture; not published as a file)</p>\n";
    if (d.kind == DocumentKind::Html) {
        html += Paragraphs(d.text);
        if (d.text.empty()) html += "<p>The page had no text when its picture was taken.</p>\n";
        if (d.cut)
            html +=
                "<p>(Cut here: the site tells the first " + std::to_string(kDocumentTextLimit) + " characters.)</p>\n";
    }
    return html + "</div>\n</div>\n";
}

std::string Section(const PublishedPage& page, bool first) {
    const std::string id = "page-" + std::to_string(page.page);
    std::string html = "<section class=\"tidemark-page\" id=\"" + id + "\" aria-labelledby=\"" + id + "-name\">\n";
    html += "<h2 id=\"" + id + "-name\" data-tidemark-text=\"name\">" + Escaped(PageName(page)) + "</h2>\n";
    html += "<p class=\"tidemark-time\" data-tidemark-text=\"time\">" + DataTimeText(page.dataTime) + "</p>\n";
    html += Pictures(page, first);
    html += ValuesTable(page, id);
    for (const PublishedDocument& d : page.documents) html += Document(d, id);
    return html + "</section>\n";
}

std::string StatusLine(const std::vector<PublishedPage>& pages, int refreshSeconds) {
    double latest = 0;
    for (const PublishedPage& page : pages) latest = std::max(latest, page.dataTime);
    std::string html = "<div id=\"tidemark-status\" data-refresh=\"" + std::to_string(std::max(refreshSeconds, 1)) +
                       "\" data-time=\"" + IsoLocalTime(latest) + "\">\n";
    html += "<p><span data-tidemark-text=\"status-time\">" + DataTimeText(latest) +
            "</span>. <span id=\"tidemark-note\" role=\"status\">This page shows the data of the moment it was "
            "written; reload it for newer data.</span></p>\n";
    html += "<button type=\"button\" id=\"tidemark-pause\" aria-pressed=\"false\" hidden>Pause updates</button>\n";
    return html + "</div>\n";
}

// Where the template's head element opens, just after its start tag; npos when none.
size_t AfterHeadTag(const std::string& lower) {
    size_t at = FindStartTag(lower, "head");
    if (at == std::string::npos) return at;
    size_t end = lower.find('>', at);
    return end == std::string::npos ? end : end + 1;
}

}  // namespace

std::string ReadableTime(double day) {
    if (day == 0) return {};
    CivilTime c = ToCivil(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", c.year, c.month, c.day, c.hour, c.minute);
    return buffer;
}

std::string ShortAltText(const PublishedPage& page, const PublishedImage& image) {
    std::vector<std::string> names;
    for (const GraphReading& r : page.graphs)
        if (image.slot < 0 || r.slot == image.slot) names.push_back(Utf8Text(GraphName(r)));
    for (const PublishedDocument& d : page.documents)
        if (image.slot < 0 || d.slot == image.slot)
            names.push_back(KindName(d.kind) + " " +
                            (d.kind == DocumentKind::Html && !d.title.empty() ? d.title : DocumentName(d)));
    std::string alt = image.slot < 0 ? "Graphs of " + Utf8Text(PageName(page))
                                     : Utf8Text(PageName(page)) + ", graph " + std::to_string(image.slot + 1);
    for (size_t i = 0; i < names.size(); ++i) alt += (i == 0 ? ": " : "; ") + names[i];
    return alt;
}

std::string PageSections(const std::vector<PublishedPage>& pages, int refreshSeconds) {
    std::string html = StatusLine(pages, refreshSeconds) + "<div id=\"tidemark-pages\">\n";
    for (size_t i = 0; i < pages.size(); ++i) html += Section(pages[i], i == 0);
    return html + "</div>\n";
}

bool TemplateAsksForGraphPictures(const std::string& templateText) {
    return templateText.find(kSiteGraphPicturesMarker) != std::string::npos;
}

Result<std::string> SitePageHtml(const std::string& templateText, const std::vector<PublishedPage>& pages,
                                 int refreshSeconds) {
    size_t marker = templateText.find(kSitePagesMarker);
    if (marker == std::string::npos)
        return Fault{std::string(kSiteTemplateFileName) + " has no " + kSitePagesMarker + " where the pages go"};
    const std::string lower = Lower(templateText);
    size_t head = AfterHeadTag(lower);
    if (head == std::string::npos || head > marker)
        return Fault{std::string(kSiteTemplateFileName) + " has no <head> before " + kSitePagesMarker};
    // At the end of the head: the template's charset must stay within the first bytes.
    size_t headEnd = lower.find("</head", head);
    size_t assetsAt = headEnd != std::string::npos && headEnd < marker ? headEnd : head;
    const bool ownMain = FindStartTag(lower, "main") != std::string::npos;

    std::string html = templateText.substr(0, assetsAt);
    html += "<style id=\"tidemark-style\">\n" + std::string(kSiteStyle) + "</style>\n";
    html += "<script id=\"tidemark-live\">\n" + std::string(kSiteScript) + "</script>\n";
    html += templateText.substr(assetsAt, marker - assetsAt);
    html +=
        ownMain ? PageSections(pages, refreshSeconds) : "<main>\n" + PageSections(pages, refreshSeconds) + "</main>\n";
    html += templateText.substr(marker + std::string(kSitePagesMarker).size());
    return html;
}

}  // namespace tidemark
