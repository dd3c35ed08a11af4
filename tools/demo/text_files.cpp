#include "text_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/textfile.h"
#include "hydrology.h"

namespace tidemark::demo {
namespace {

std::string Fixed(double v, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// Rainfall depths (inches) for a humid temperate upland, durations 5 minutes to a
// day, recurrence intervals 1 to 1000 years.
struct FrequencyRow {
    const char* label;
    double depth[10];
};
constexpr FrequencyRow kFrequencyRows[] = {
    {"5min", {0.34, 0.40, 0.47, 0.53, 0.60, 0.66, 0.72, 0.77, 0.84, 0.90}},
    {"10min", {0.54, 0.64, 0.75, 0.84, 0.95, 1.04, 1.13, 1.21, 1.31, 1.39}},
    {"15min", {0.67, 0.80, 0.95, 1.06, 1.20, 1.31, 1.42, 1.52, 1.64, 1.74}},
    {"30min", {0.92, 1.10, 1.33, 1.51, 1.74, 1.92, 2.10, 2.28, 2.51, 2.70}},
    {"1h", {1.15, 1.38, 1.70, 1.96, 2.31, 2.60, 2.90, 3.20, 3.62, 3.96}},
    {"2h", {1.40, 1.68, 2.09, 2.43, 2.92, 3.33, 3.76, 4.21, 4.85, 5.38}},
    {"3h", {1.53, 1.84, 2.29, 2.68, 3.24, 3.72, 4.23, 4.77, 5.55, 6.20}},
    {"6h", {1.86, 2.23, 2.79, 3.29, 4.02, 4.66, 5.36, 6.10, 7.19, 8.11}},
    {"12h", {2.22, 2.67, 3.38, 4.01, 4.97, 5.81, 6.74, 7.76, 9.28, 10.59}},
    {"24h", {2.62, 3.17, 4.04, 4.82, 6.01, 7.07, 8.25, 9.57, 11.56, 13.30}},
};

// One series named in an alert block: its line, the skipped line and the value.
struct AlertEntry {
    int dsid;
    std::string reason;
    double value;
    int decimals;
};

struct AlertBlock {
    Minutes issued;
    std::vector<AlertEntry> entries;  // separated by "*" lines
};

double StoredAt(const DemoData& data, int dsid, int index) {
    return data.unitValues.at(dsid)[static_cast<size_t>(index)];
}

// Upward crossings of the Mill Falls flood categories, each level re-armed once the
// river has fallen half a foot below it, as the logger's alarm rules work.
void AddStageAlerts(const DemoData& data, std::vector<AlertBlock>& blocks) {
    const Timeline& tl = data.timeline;
    struct Level {
        double value;
        const char* name;
        bool armed;
    };
    std::vector<Level> levels = {{kMillFallsAction, "Action", true},
                                 {kMillFallsMinor, "Minor flood", true},
                                 {kMillFallsModerate, "Moderate flood", true},
                                 {kMillFallsMajor, "Major flood", true}};
    for (int i = 0; i <= tl.NowIndex(); ++i) {
        double h = StoredAt(data, kStageMillFalls, i);
        for (Level& l : levels) {
            if (l.armed && h >= l.value) {
                l.armed = false;
                std::string reason = std::string("rose above ") + l.name + " stage " + Fixed(l.value, 0) + " ft";
                blocks.push_back({tl.TimeAt(i), {{kStageMillFalls, reason, h, 2}}});
            } else if (!l.armed && h < l.value - 0.5) {
                l.armed = true;
            }
        }
    }
}

// Cedar Ridge hourly totals above half an inch (re-armed after six dry hours); the
// logger adds the Mill Falls stage at that moment to the same block.
void AddRainAlerts(const DemoData& data, std::vector<AlertBlock>& blocks) {
    const Timeline& tl = data.timeline;
    bool armed = true;
    int dry = 0;
    for (int i = kStepsPerHour - 1; i <= tl.NowIndex(); ++i) {
        double hour = 0;
        for (int k = i - kStepsPerHour + 1; k <= i; ++k) {
            double v = StoredAt(data, kRainCedarRidge, k);
            if (!std::isnan(v)) hour += v;
        }
        dry = hour == 0 ? dry + 1 : 0;
        if (dry >= 6 * kStepsPerHour) armed = true;
        if (armed && hour >= 0.5) {
            armed = false;
            blocks.push_back(
                {tl.TimeAt(i),
                 {{kRainCedarRidge, "1-hour total above 0.50 in", hour, 2},
                  {kStageMillFalls, "stage at time of rain alert", StoredAt(data, kStageMillFalls, i), 2}}});
        }
    }
}

}  // namespace

std::string FrequencyFileText() {
    std::vector<std::string> lines;
    lines.push_back("Willow River basin rainfall depth-duration-frequency, inches (partial-duration series)");
    lines.push_back("");
    lines.push_back("Duration\t1\t2\t5\t10\t25\t50\t100\t200\t500\t1000");
    for (const FrequencyRow& row : kFrequencyRows) {
        std::string line = row.label;
        for (double d : row.depth) line += "\t" + Fixed(d, 2);
        lines.push_back(line);
    }
    return JoinLinesCrLf(lines);
}

std::string StationNotesHtml(const DemoData& data) {
    const Timeline& tl = data.timeline;
    std::vector<std::string> l;
    l.push_back("<!DOCTYPE html>");
    l.push_back("<html lang=\"en\">");
    l.push_back("<head>");
    l.push_back("<meta charset=\"utf-8\">");
    l.push_back("<title>Willow River Basin - Station Notes</title>");
    l.push_back("<style>");
    l.push_back(
        "body { font-family: 'Liberation Sans', Arial, sans-serif; margin: 24px; background: #f4f6f9; color: #1c2733; "
        "}");
    l.push_back(
        "h1 { font-size: 22px; margin: 0 0 4px 0; } h2 { font-size: 17px; margin: 22px 0 8px 0; color: #1f4e79; }");
    l.push_back("p.sub { margin: 0 0 16px 0; color: #55606b; }");
    l.push_back(
        "table { border-collapse: collapse; background: #fff; } td, th { border: 1px solid #c9d1da; padding: 4px 10px; "
        "text-align: left; font-size: 14px; }");
    l.push_back("th { background: #dde5ee; } td.n { text-align: right; } .off { color: #a00; font-weight: bold; }");
    l.push_back("</style>");
    l.push_back("</head>");
    l.push_back("<body>");
    l.push_back("<h1>Willow River Basin &mdash; Station Notes</h1>");
    l.push_back("<p class=\"sub\">Updated " + LongDateText(tl.now) + ", " + ShortDateTimeText(tl.now).substr(11) +
                ". Data from the basin's automatic gauges; forecasts from the river forecast centre.</p>");

    l.push_back("<h2>Series in the display database</h2>");
    l.push_back("<table>");
    l.push_back("<tr><th>dsid</th><th>Site</th><th>Parameter</th><th>Units</th></tr>");
    for (const SeriesInfo& s : DemoSeries())
        l.push_back("<tr><td class=\"n\">" + std::to_string(s.dsid) + "</td><td>" + MarkupEscaped(s.siteName) +
                    "</td><td>" + MarkupEscaped(s.datatypeName) + "</td><td>" + MarkupEscaped(s.unitName) +
                    "</td></tr>");
    l.push_back("</table>");

    l.push_back("<h2>Willow River at Mill Falls &mdash; flood categories</h2>");
    l.push_back("<table>");
    l.push_back("<tr><th>Category</th><th>Stage (ft)</th><th>Flow (cfs)</th><th>What happens</th></tr>");
    struct Category {
        const char* name;
        double stage;
        const char* impact;
    };
    const Category categories[] = {
        {"Major", kMillFallsMajor, "Mill Street and the lower town flood; River Road closed at the falls."},
        {"Moderate", kMillFallsModerate, "Water over Ferry Lane; the county park campground is evacuated."},
        {"Minor", kMillFallsMinor, "Lowland pasture below the falls floods; the river trail closes."},
        {"Action", kMillFallsAction, "Staff watch the gauge hourly and check the Lake Tamsin gates."},
    };
    for (const Category& c : categories)
        l.push_back("<tr><td>" + std::string(c.name) + "</td><td class=\"n\">" + Fixed(c.stage, 1) +
                    "</td><td class=\"n\">" + Fixed(kMillFallsRating.Flow(c.stage), 0) + "</td><td>" + c.impact +
                    "</td></tr>");
    l.push_back("</table>");

    l.push_back("<h2>Notes</h2>");
    l.push_back("<ul>");
    l.push_back("<li><span class=\"off\">Harbor Point rain gauge out of service</span> since " +
                ShortDateTimeText(data.harborPointGaugeOffline) +
                " (tipping bucket jammed; technician visit scheduled). Its graph is switched off.</li>");
    l.push_back(
        "<li>Lake Tamsin guide curve 1246.0 ft; spillway crest 1248.5 ft. Gate changes are made at 08:00.</li>");
    l.push_back("<li>Official Mill Falls forecast issued " + ShortDateTimeText(data.forecastIssued) +
                "; model traces (QPF, zero QPF, QPF x1.5) are run daily at 06:00.</li>");
    l.push_back("<li>Wind direction is recorded in quarter turns: 0 north, 1 east, 2 south, 3 west.</li>");
    l.push_back(
        "<li>Rain gauges record 0.01 in tips every 5 minutes; the Cedar Ridge radar estimate is for comparison "
        "only.</li>");
    l.push_back("</ul>");
    l.push_back("</body>");
    l.push_back("</html>");
    return JoinLinesCrLf(l);
}

std::string AlertReportText(const DemoData& data) {
    const Timeline& tl = data.timeline;
    std::vector<AlertBlock> blocks;
    AddStageAlerts(data, blocks);
    AddRainAlerts(data, blocks);
    if (blocks.empty()) {
        // A quiet period: the report still shows the river's highest reading.
        int peakAt = 0;
        for (int i = 0; i <= tl.NowIndex(); ++i)
            if (StoredAt(data, kStageMillFalls, i) > StoredAt(data, kStageMillFalls, peakAt)) peakAt = i;
        blocks.push_back(
            {tl.TimeAt(peakAt),
             {{kStageMillFalls, "highest stage of the period", StoredAt(data, kStageMillFalls, peakAt), 2}}});
    }
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const AlertBlock& a, const AlertBlock& b) { return a.issued < b.issued; });

    std::vector<std::string> lines;
    lines.push_back("Streamkeep alert report");
    lines.push_back("Saved " + ShortDateTimeText(tl.now));
    lines.push_back("");
    for (const AlertBlock& block : blocks) {
        lines.push_back("Issued: " + ShortDateTimeText(block.issued));
        lines.push_back("Alarm group: Willow River flood watch");
        for (size_t e = 0; e < block.entries.size(); ++e) {
            const AlertEntry& entry = block.entries[e];
            const SeriesInfo& s = SeriesById(entry.dsid);
            if (e > 0) lines.push_back("*");
            lines.push_back(" " + std::to_string(s.dsid) + "  " + s.siteName + " " + s.datatypeName + ": " +
                            entry.reason);
            lines.push_back("Value (" + s.unitName + ")");
            lines.push_back(Fixed(entry.value, entry.decimals));
            lines.push_back("");
        }
    }
    return JoinLinesCrLf(lines);
}

std::string MarkupEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

}  // namespace tidemark::demo
