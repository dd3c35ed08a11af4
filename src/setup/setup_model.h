#pragma once
// The in-memory setup: program-wide settings from the top of Tidemark_setup.txt and
// every page with its graph definitions. Plain data owned by the caller for the whole
// run; the reader fills it, the editor changes it, the writer saves it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/color.h"

namespace tidemark {

inline constexpr const char* kSetupFileName = "Tidemark_setup.txt";
inline constexpr const char* kSetupBackupFileName = "Tidemark_setup_backup.txt";
inline constexpr const char* kOnOffFileName = "Tidemark_OnOff.txt";
inline constexpr const char* kFrequencyFileName = "Tidemark_Frequency.txt";

inline constexpr int kGraphsPerPage = 12;
inline constexpr int kSlotsPerPage = 25;        // 0-11 graphs, 12-23 second series, 24 free
inline constexpr int kSecondSeriesOffset = 12;  // slot s + 12 holds the second series of s
inline constexpr int kRunSlots = 13;            // run suffix, run number and alert tables
inline constexpr int kPageRoom = 8;             // pages that can be added while running
inline constexpr int kFlagRoom = 10;            // flag tables reach this far past the last page

// The window state of line 9. Held as the number read, so an unknown one is saved back
// as it was; it then shows the window normally.
struct WindowState {
    static constexpr int16_t Normal = 0;
    static constexpr int16_t Minimised = 1;
    static constexpr int16_t Maximised = 2;
};

// Saved window position and state (line 9), in pixels.
struct StartupPosition {
    float top = 0, left = 0, width = 0, height = 0;
    int16_t state = WindowState::Normal;
    bool present = false;  // line 9 held a position
    bool operator==(const StartupPosition&) const = default;
};

struct SetupSettings {
    int16_t days = 0;    // days up to and including today; 0 in the file means 7
    int16_t endday = 0;  // days after today (may be negative)
    bool plotunitvalues = false;
    // Line 3, and from then on the one state of the "Include daily max/min in hourlys"
    // box: the setup frame's box writes here, fetching and the series names read it.
    bool includedailymaxmin = false;
    bool bigcurrentvalue = false;
    bool autopaging = false;
    std::string pageseconds;  // text of the auto-paging time box
    std::string titlefontname;
    std::string axisfontname;
    int16_t penwidth1 = 0;  // twips; 0 = not set
    int16_t penwidth2 = 0;
    std::string connectionstring;
    StartupPosition startup;
    bool metricunits = false;
    // Run-time: derived from the connection string.
    bool excelmode = false;
    bool quotedates = false;
    // Run-time: loading has turned `days` into the span (days + endday); saving takes
    // endday off again so the file keeps the user's count.
    bool daysisspan = false;
    bool operator==(const SetupSettings&) const = default;
};

// What a graph slot holds, told by its dsid: 0 nothing, -1 a web screen (whose
// definition reuses the chart fields), anything else a graph.
enum class SlotKind { Empty, Graph, WebScreen };

inline constexpr int16_t kEmptySlotDsid = 0;
inline constexpr int16_t kWebScreenDsid = -1;

constexpr SlotKind SlotKindOf(int16_t dsid) {
    if (dsid == kEmptySlotDsid) return SlotKind::Empty;
    if (dsid == kWebScreenDsid) return SlotKind::WebScreen;
    return SlotKind::Graph;
}

// The "freq type" field of a graph line: which analysis its values go through. Codes
// that have no meaning of their own are held as read, so saving writes them back.
enum class FreqType : int16_t {
    DepthDuration = -2,  // the largest depth per duration of the frequency table
    Recurrence = -1,     // every value as its recurrence interval in years
    Plain = 0,
    LogProbability = 1,  // return period of the largest value, fitted to log10 values
    Probability = 2,     // the same, fitted to the values themselves
    ModelError = 3,      // the model's error against the observations, in the title
    ColorBand = 4,       // flood-category bands up to coeff3
};

// The code as the file holds it.
constexpr int16_t FreqCode(FreqType type) { return static_cast<int16_t>(type); }

// Every negative code works with the frequency table: reading such a line loads it,
// daily values become intervals and the unit is years.
constexpr bool UsesFrequencyTable(FreqType type) { return FreqCode(type) < 0; }

constexpr bool IsProbability(FreqType type) {
    return type == FreqType::LogProbability || type == FreqType::Probability;
}

// The types whose lines carry coeff1-coeff3.
constexpr bool HasCoefficients(FreqType type) { return IsProbability(type) || type == FreqType::ColorBand; }

// The codes of a graph line's number fields are kept as the numbers read (int16, as the
// file holds them) and compared with these names; a number without a name of its own is
// written back unchanged.

// The file's "true": the number a switched-on field is written as.
inline constexpr int16_t kFileTrue = -1;

// The "rank-1/cumulative2" field: the main series as it is, in rank order, or as running
// totals.
struct RankCum {
    static constexpr int16_t Plain = 0;
    static constexpr int16_t Ranked = -1;
    static constexpr int16_t Cumulative = 2;
};

// `hrmarker` and `daymarker`: how a series is drawn. The graph menu steps the hourly
// mode through Line .. MarkersOnly and the daily one through Line .. Hidden.
struct MarkerMode {
    static constexpr int16_t Line = 0;
    static constexpr int16_t LineAndMarkers = 1;
    static constexpr int16_t MarkersOnly = 2;
    static constexpr int16_t Hidden = 3;   // daily series only
    static constexpr int16_t Spikes = 99;  // hourly series only: each non-zero value as a spike up from 0
    static constexpr int16_t LastHourly = MarkersOnly;
    static constexpr int16_t LastDaily = Hidden;
};

// A graph whose second back colour is kSwitchedOffColor (core/color.h) is switched off
// ("Gage Off"); its station name then begins with this.
inline constexpr std::string_view kSwitchedOffPrefix = "OFF ";

// A graph with this identifier keeps its place on the page but is not drawn.
inline constexpr int16_t kUndrawnGraphDsid = 1;

struct GraphDef {
    int16_t page = 0;
    int16_t slot = 0;
    int16_t dsid = 0;  // SlotKindOf tells what it names
    std::string parametername;
    std::string stationname;  // web screen: the address
    int16_t hrmarker = 0;     // MarkerMode; web screen: scroll bars switch
    int16_t daymarker = 0;    // MarkerMode; web screen: saved horizontal scroll position
    int16_t logyscale = 0;    // non-zero (kFileTrue) = logarithmic; web screen: vertical scroll position
    int32_t backcolor = 0;    // web screen: browser index (run-time)
    int32_t back2color = 0;   // 65535 = switched off; web screen: allow navigation
    int32_t hrcolor = 0;      // web screen: fit image
    int32_t daycolor = 0;
    double highwatch = 0;
    double lowwatch = 0;
    int16_t watchcount = 0;
    int16_t rankcum = RankCum::Plain;
    int16_t hasdsid2 = 0;  // kFileTrue when the dsid field held a second identifier
    FreqType freqtype = FreqType::Plain;
    float coeff1 = 0, coeff2 = 0, coeff3 = 0;
    int16_t tracecount = 0;  // run-time: model-run traces added

    SlotKind Kind() const { return SlotKindOf(dsid); }
    // Drawn from its fetched series (see kUndrawnGraphDsid).
    bool IsDrawnGraph() const { return Kind() == SlotKind::Graph && dsid != kUndrawnGraphDsid; }
    bool SwitchedOff() const { return back2color == kSwitchedOffColor; }
    bool operator==(const GraphDef&) const = default;
};

// A page's `yaxislabels`: whether its graphs show their unit as a Y-axis title.
struct YAxisLabels {
    static constexpr int16_t Shown = kFileTrue;
    static constexpr int16_t Hidden = 0;
};

struct PageRec {
    std::string title;
    int16_t titlefontsize = 0;
    int16_t axisfontsize = 0;
    int16_t yaxislabels = YAxisLabels::Hidden;
    bool ftpoff = false;
    bool unitsoff = false;
    bool removed = false;  // run-time: deleted while running
    int16_t lastslot = 0;  // run-time: highest slot read for the page
    std::array<GraphDef, kSlotsPerPage> slots{};
    std::array<std::string, kRunSlots> runsuffix{};  // ",RUN", ",ALERT", ",RUN,ALERT" or empty
    std::array<int16_t, kRunSlots> runnumber{};      // 0 = none

    bool operator==(const PageRec&) const = default;
};

struct AlertMark {
    double issued = 0;  // day number
    double value = 0;
    bool operator==(const AlertMark&) const = default;
};

// One graph's alert: the dsid it watches and the marks collected for it.
struct AlertSlot {
    int16_t dsid = 0;
    int32_t markcount = 0;
    std::vector<AlertMark> marks;  // marks[0 .. markcount-1]
    bool operator==(const AlertSlot&) const = default;
};

struct PageSet {
    int16_t pagecount = 0;  // N: pages in use, numbered from 1
    int tableroom = 0;      // highest page number the tables hold (N read at start + 8)
    // Index = page number, 0 .. tableroom + 2: the flag look-ahead of navigation reaches
    // two pages past the room for data.
    std::vector<PageRec> pages;
    int16_t webscreencount = 0;  // browsers created; web screen k has browser index k - 1
    // Per page and graph slot 0-12; empty until the first ",ALERT" graph is read.
    std::vector<std::array<AlertSlot, kRunSlots>> alerts;
    bool alertspresent = false;  // some mark is stored

    bool HasAlertTable() const { return !alerts.empty(); }
    bool ValidPage(int page) const { return page >= 0 && page <= tableroom; }
    PageRec& Page(int page) { return pages.at(static_cast<size_t>(page)); }
    const PageRec& Page(int page) const { return pages.at(static_cast<size_t>(page)); }
    GraphDef& Graph(int page, int slot) { return Page(page).slots.at(static_cast<size_t>(slot)); }
    const GraphDef& Graph(int page, int slot) const { return Page(page).slots.at(static_cast<size_t>(slot)); }

    bool operator==(const PageSet&) const = default;
};

// Clears the set and sizes it for `pagesInFile` pages plus the room for added pages.
void SizePageSet(PageSet& set, int pagesInFile);

// Creates the alert table for every page the set holds (no-op when it exists).
void CreateAlertTable(PageSet& set);

}  // namespace tidemark
