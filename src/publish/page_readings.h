#pragma once
// What a published page says in words: per graph its station, parameter, current value
// with unit and time, the watch level it crossed and the flood category its value lies
// in. The web page's text alternative and the data feed are written from these, taken
// right after the page was drawn, so they tell what its image shows.
#include <optional>
#include <string>
#include <vector>

#include "data/program_state.h"
#include "pages/flood_bands.h"
#include "render/render_state.h"

namespace tidemark {

struct GraphReading {
    int page = 0;
    int slot = 0;  // 0-11
    int dsid = 0;
    // Program text (Windows-1252), as the setup and the catalogue hold it.
    std::string station, parameter, unit;
    double value = kMissing;  // kMissing: none, or too old to show; as drawn
    // The same value as the database holds it, where drawing rounded it (0.0036 drawn
    // as 0): what the data feed tells. kMissing where only the drawn value is known.
    double storedValue = kMissing;
    double time = 0;  // day number of the value; 0 when there is none
    WatchCrossing watch = WatchCrossing::None;
    std::optional<FloodCategory> flood;

    bool HasValue() const { return !IsMissing(value); }
    // The stored value where it is known, else the drawn one.
    double FeedValue() const { return IsMissing(storedValue) ? value : storedValue; }
};

// One image published for a page: the whole page, or one graph of it.
struct PublishedImage {
    std::string fileName;  // beside the web page, e.g. Tidemark_window3.png
    int width = 0, height = 0;
    int slot = -1;  // -1: the whole page
    // Whether the image reached its place (written, and sent where publishing sends):
    // one that did not leaves the site with the image it held before.
    bool arrived = true;

    // Whether the image shows the graph in `graphSlot`.
    bool Shows(int graphSlot) const { return slot < 0 || slot == graphSlot; }
};

enum class DocumentKind { Html, Pdf, Workbook };

// A web screen of a published page in words: for an HTML document its title and the text
// the engine rendered (cut at kDocumentTextLimit characters), for a PDF or a workbook its
// name. UTF-8, free of control characters.
struct PublishedDocument {
    int slot = 0;  // 0-11
    DocumentKind kind = DocumentKind::Html;
    std::string address;  // as the setup names it
    std::string title;
    std::string text;
    bool cut = false;  // the text was longer than the limit
    // Where a reader of the site can open the document itself; empty when the site has
    // no address for it (a local file the round does not publish).
    std::string link;
};

// The characters of a document's text the site tells; the rest is cut.
inline constexpr size_t kDocumentTextLimit = 2000;

struct PublishedPage {
    int page = 0;
    std::string name;     // the page's title, program text
    double dataTime = 0;  // the latest value time of its graphs; 0 when none has one
    std::vector<PublishedImage> images;
    std::vector<GraphReading> graphs;
    std::vector<PublishedDocument> documents;
};

// The drawn graphs of `page` as drawing left them in `render` (web screens and empty
// slots have no reading).
std::vector<GraphReading> PageReadings(const ProgramState& state, const RenderState& render, int page);

// The page with its readings, ready for images to be added.
PublishedPage PublishedPageOf(const ProgramState& state, const RenderState& render, int page);

// "Action", "Minor", "Moderate" or "Major".
std::string FloodCategoryName(FloodCategory category);

// "above the high watch level", "below the low watch level", both joined by "and", or
// empty.
std::string WatchText(WatchCrossing crossing);

// Program text as UTF-8, for files read by browsers and other programs.
std::string Utf8Text(const std::string& programText);

}  // namespace tidemark
