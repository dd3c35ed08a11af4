#include "setup_text.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "core/color.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "demo_series.h"
#include "hydrology.h"
#include "setup/setup_model.h"

namespace tidemark::demo {
namespace {

// One graph line (or a web screen line) of a page.
struct DemoGraph {
    int dsid = 0;
    int dsid2 = 0;
    int runnumber = 0;
    std::string runsuffix;  // ",RUN", ",ALERT" or ",RUN,ALERT"
    std::string parametername;
    std::string stationname;
    int hrmarker = 0, daymarker = 0, logyscale = 0;
    int32_t backcolor = 0, back2color = 0, hrcolor = 0, daycolor = 0;
    double highwatch = 0, lowwatch = 0;
    int watchcount = 0;
    int rankcum = RankCum::Plain;
    FreqType freqtype = FreqType::Plain;
    float coeff1 = 0, coeff2 = 0, coeff3 = 0;
};

struct DemoPage {
    std::string title;
    int titlefontsize = 10, axisfontsize = 8, yaxislabels = YAxisLabels::Shown;
    bool ftpoff = false, unitsoff = false;
    std::vector<DemoGraph> graphs;  // at most 12; the rest are written as empty slots
};

struct Theme {
    int32_t back, plot;
};
const Theme kLight{RGB(228, 233, 240), RGB(255, 255, 255)};
const Theme kDark{RGB(0, 0, 0), RGB(20, 28, 48)};
const Theme kSlate{RGB(205, 214, 226), RGB(246, 248, 250)};

struct Pens {
    int32_t hour, day;
};
const Pens kRainPens{RGB(0, 102, 204), RGB(0, 140, 60)};
const Pens kStagePens{RGB(0, 0, 160), RGB(200, 0, 0)};
const Pens kFlowPens{RGB(0, 128, 128), RGB(128, 0, 128)};
const Pens kLakePens{RGB(30, 90, 170), RGB(0, 120, 0)};
const Pens kAirPens{RGB(220, 40, 40), RGB(255, 140, 0)};
const Pens kWindPens{RGB(90, 90, 90), RGB(0, 0, 0)};
const Pens kDarkPens{RGB(0, 255, 255), RGB(255, 215, 0)};

DemoGraph Graph(int dsid, const Theme& theme, const Pens& pens) {
    const SeriesInfo& s = SeriesById(dsid);
    DemoGraph g;
    g.dsid = dsid;
    g.parametername = s.datatypeName;
    g.stationname = s.siteName;
    g.backcolor = theme.back;
    g.back2color = theme.plot;
    g.hrcolor = pens.hour;
    g.daycolor = pens.day;
    return g;
}

DemoGraph WebScreen(const std::string& address) {
    DemoGraph g;
    g.dsid = kWebScreenDsid;
    g.parametername = "Web Screen";
    g.stationname = address;
    g.hrmarker = 1;     // scroll bars
    g.back2color = -1;  // links may be followed
    g.hrcolor = 0;      // an HTML page: no image to fit
    return g;
}

std::vector<DemoPage> DemoPages(const DemoDocuments& documents) {
    std::vector<DemoPage> pages;

    {  // Four graphs: the flood picture at a glance.
        DemoPage p{"River Conditions", 11, 9, YAxisLabels::Shown, false, false, {}};
        DemoGraph stage = Graph(kStageMillFalls, kLight, kStagePens);
        stage.runsuffix = ",ALERT";
        stage.freqtype = FreqType::ColorBand;
        stage.coeff1 = static_cast<float>(kMillFallsMinor);
        stage.coeff2 = static_cast<float>(kMillFallsModerate);
        stage.coeff3 = static_cast<float>(kMillFallsMajor);
        stage.highwatch = kMillFallsAction;
        stage.watchcount = 3;
        DemoGraph flow = Graph(kFlowMillFalls, kLight, kFlowPens);
        flow.runsuffix = ",RUN";
        DemoGraph creek = Graph(kStageCedarCreek, kLight, kStagePens);
        creek.highwatch = 8;
        creek.lowwatch = 1;
        creek.watchcount = 6;
        DemoGraph rain = Graph(kRainCedarRidge, kLight, kRainPens);
        rain.daymarker = MarkerMode::LineAndMarkers;
        p.graphs = {stage, flow, creek, rain};
        pages.push_back(p);
    }
    {  // One graph: the forecast point with the downstream gauge and the official
        // forecast laid over it.
        DemoPage p{"Mill Falls Forecast", 14, 10, YAxisLabels::Shown, false, false, {}};
        DemoGraph g = Graph(kStageMillFalls, kSlate, kStagePens);
        g.dsid2 = kStageHarborPoint;
        g.runnumber = kForecastStageMillFalls;
        g.runsuffix = ",RUN";
        g.hrmarker = MarkerMode::LineAndMarkers;
        g.daymarker = MarkerMode::MarkersOnly;
        g.highwatch = kMillFallsAction;
        g.watchcount = 12;
        p.graphs = {g};
        pages.push_back(p);
    }
    {  // Two graphs: how rare the recent rain was.
        DemoPage p{"Rainfall Frequency", 12, 9, YAxisLabels::Shown, false, false, {}};
        DemoGraph interval = Graph(kRainCedarRidge, kLight, kRainPens);
        interval.freqtype = FreqType::Recurrence;
        interval.stationname = "Cedar Ridge Recurrence Interval";
        interval.daymarker = MarkerMode::LineAndMarkers;
        DemoGraph depth = Graph(kRainCedarRidge, kLight, kRainPens);
        depth.freqtype = FreqType::DepthDuration;
        depth.stationname = "Cedar Ridge Depth-Duration Maxima";
        depth.hrmarker = MarkerMode::LineAndMarkers;
        p.graphs = {interval, depth};
        pages.push_back(p);
    }
    {  // Three graphs: month-to-date totals.
        DemoPage p{"Monthly Rainfall and ET", 11, 9, YAxisLabels::Shown, false, false, {}};
        DemoGraph a = Graph(kRainCedarRidge, kLight, kRainPens);
        a.parametername = "Monthly Rainfall";
        DemoGraph b = Graph(kRainMillFalls, kLight, kRainPens);
        b.parametername = "Monthly Rainfall";
        DemoGraph c = Graph(kEvapotranspirationCedarRidge, kLight, {RGB(160, 100, 0), RGB(90, 60, 0)});
        c.parametername = "Monthly ET";
        p.graphs = {a, b, c};
        pages.push_back(p);
    }
    {  // Six graphs: the rain gauges, the broken one switched off, a season-to-date
        // comparison and the radar's error against the gauge.
        DemoPage p{"Rain Gauges", 10, 8, YAxisLabels::Shown, false, false, {}};
        DemoGraph cedar = Graph(kRainCedarRidge, kLight, kRainPens);
        DemoGraph hollow = Graph(kRainHollowPine, kLight, kRainPens);
        hollow.daymarker = MarkerMode::MarkersOnly;
        DemoGraph mill = Graph(kRainMillFalls, kLight, kRainPens);
        mill.hrmarker = MarkerMode::Spikes;
        DemoGraph harbor = Graph(kRainHarborPoint, kLight, kRainPens);
        harbor.back2color = kSwitchedOffColor;
        harbor.stationname = std::string(kSwitchedOffPrefix) + harbor.stationname;
        DemoGraph total = Graph(kRainCedarRidge, kLight, kRainPens);
        total.dsid2 = kRainHollowPine;
        total.rankcum = RankCum::Cumulative;
        total.stationname = "Cedar Ridge and Hollow Pine Totals";
        total.daymarker = MarkerMode::Hidden;
        DemoGraph radar = Graph(kRainCedarRidge, kLight, kRainPens);
        radar.dsid2 = kRadarCedarRidge;
        radar.freqtype = FreqType::ModelError;
        radar.stationname = "Cedar Ridge Gauge vs Radar";
        p.graphs = {cedar, hollow, mill, harbor, total, radar};
        pages.push_back(p);
    }
    {  // Nine graphs on hourly values with the daily extremes merged in.
        DemoPage p{"Weather", 10, 8, YAxisLabels::Shown, false, true, {}};
        DemoGraph air = Graph(kAirTempCedarRidge, kLight, kAirPens);
        air.lowwatch = 32;  // frost
        air.watchcount = 12;
        DemoGraph coast = Graph(kAirTempHarborPoint, kLight, kAirPens);
        DemoGraph humidity = Graph(kHumidityHarborPoint, kLight, {RGB(0, 110, 160), RGB(0, 60, 90)});
        DemoGraph pressure = Graph(kPressureHarborPoint, kLight, {RGB(110, 0, 160), RGB(60, 0, 90)});
        DemoGraph direction = Graph(kWindDirectionHarborPoint, kLight, kWindPens);
        direction.hrmarker = MarkerMode::MarkersOnly;  // a direction line would jump across north
        direction.daymarker = MarkerMode::Hidden;
        DemoGraph speed = Graph(kWindSpeedHarborPoint, kLight, kWindPens);
        speed.highwatch = 35;
        DemoGraph et = Graph(kEvapotranspirationCedarRidge, kLight, {RGB(160, 100, 0), RGB(90, 60, 0)});
        DemoGraph ranked = Graph(kAirTempCedarRidge, kLight, kAirPens);
        ranked.rankcum = RankCum::Ranked;
        ranked.stationname = "Cedar Ridge Ranked";
        DemoGraph hollow = Graph(kRainHollowPine, kLight, kRainPens);
        p.graphs = {air, coast, humidity, pressure, direction, speed, et, ranked, hollow};
        pages.push_back(p);
    }
    {  // Twelve graphs for the wall display, on black.
        DemoPage p{"All Stations", 9, 7, YAxisLabels::Hidden, false, true, {}};
        DemoGraph mill = Graph(kStageMillFalls, kDark, kDarkPens);
        mill.highwatch = kMillFallsAction;
        DemoGraph creek = Graph(kStageCedarCreek, kDark, kDarkPens);
        DemoGraph harbor = Graph(kStageHarborPoint, kDark, kDarkPens);
        // Annual-peak statistics: log-Pearson III for the river, Pearson III on flows for
        // the creek (mean, standard deviation, skew).
        DemoGraph flow = Graph(kFlowMillFalls, kDark, kDarkPens);
        flow.freqtype = FreqType::LogProbability;
        flow.coeff1 = 3.62f;
        flow.coeff2 = 0.24f;
        flow.coeff3 = -0.15f;
        flow.logyscale = kFileTrue;
        DemoGraph creekFlow = Graph(kFlowCedarCreek, kDark, kDarkPens);
        creekFlow.freqtype = FreqType::Probability;
        creekFlow.coeff1 = 2400;
        creekFlow.coeff2 = 1300;
        creekFlow.coeff3 = 0.35f;
        DemoGraph lake = Graph(kLakeTamsinElevation, kDark, kDarkPens);
        DemoGraph release = Graph(kLakeTamsinRelease, kDark, kDarkPens);
        DemoGraph r1 = Graph(kRainCedarRidge, kDark, kDarkPens);
        DemoGraph r2 = Graph(kRainHollowPine, kDark, kDarkPens);
        DemoGraph r3 = Graph(kRainMillFalls, kDark, kDarkPens);
        DemoGraph air = Graph(kAirTempCedarRidge, kDark, kDarkPens);
        DemoGraph wind = Graph(kWindDirectionHarborPoint, kDark, kDarkPens);
        wind.hrmarker = MarkerMode::MarkersOnly;
        p.graphs = {mill, creek, harbor, flow, creekFlow, lake, release, r1, r2, r3, air, wind};
        pages.push_back(p);
    }
    {  // A web screen: the local station notes page.
        DemoPage p{"Station Notes", 10, 8, YAxisLabels::Hidden, false, false, {}};
        p.graphs = {WebScreen(documents.notes)};
        pages.push_back(p);
    }
    {  // Documents the browser shows but cannot script: a PDF report and a workbook.
        DemoPage p{"Reports", 10, 8, YAxisLabels::Hidden, false, false, {}};
        p.graphs = {WebScreen(documents.report), WebScreen(documents.workbook)};
        pages.push_back(p);
    }
    {  // Two graphs: the reservoir between its watch levels, and what goes in and out.
        DemoPage p{"Lake Tamsin", 12, 9, YAxisLabels::Shown, true, false, {}};
        DemoGraph lake = Graph(kLakeTamsinElevation, kLight, kLakePens);
        lake.highwatch = 1248.5;  // spillway crest
        lake.lowwatch = 1244;
        lake.watchcount = 12;
        DemoGraph release = Graph(kLakeTamsinRelease, kLight, kFlowPens);
        release.dsid2 = kFlowCedarCreek;
        release.stationname = "Lake Tamsin Release and Cedar Creek Inflow";
        p.graphs = {lake, release};
        pages.push_back(p);
    }
    return pages;
}

// Numbers in the setup file: a leading space (or the minus sign) and one space after.
std::string Num(double x) { return Str(x) + " "; }
std::string Num(int x) { return Num(static_cast<double>(x)); }

// Coefficients are single precision: written with the digits a single holds, so 3.62
// stays 3.62 rather than the double nearest the single.
std::string Num(float x) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, x);
    return Num(Val(std::string_view(buf, static_cast<size_t>(res.ptr - buf))));
}

std::string Bool(bool b) { return b ? "True" : "False"; }

std::string GraphLine(int number, const DemoGraph& g) {
    if (g.dsid == kWebScreenDsid) {
        return Num(number) + ";" + Num(kWebScreenDsid) + ";" + g.parametername + ";" + g.stationname + ";" +
               Num(g.hrmarker) + ";" + Num(g.daymarker) + ";" + Num(g.logyscale) + ";" + Num(g.back2color) + ";" +
               Num(g.hrcolor);
    }
    std::string dsidField;
    if (g.dsid != kEmptySlotDsid) dsidField += Num(g.dsid);
    if (g.dsid2 != 0) dsidField += "," + Num(g.dsid2);
    if (!g.runsuffix.empty()) dsidField += g.runnumber != 0 ? "," + Num(g.runnumber) : g.runsuffix;
    std::string line = Num(number) + ";" + dsidField + ";" + g.parametername + ";" + g.stationname + ";" +
                       Num(g.hrmarker) + ";" + Num(g.daymarker) + ";" + Num(g.logyscale) + ";" + Num(g.backcolor) +
                       ";" + Num(g.back2color) + ";" + Num(g.hrcolor) + ";" + Num(g.daycolor) + ";" + Num(g.highwatch) +
                       ";" + Num(g.lowwatch) + ";" + Num(g.watchcount) + ";" + Num(g.rankcum);
    if (g.freqtype != FreqType::Plain) line += ";" + Num(FreqCode(g.freqtype));
    if (HasCoefficients(g.freqtype)) line += ";" + Num(g.coeff1) + ";" + Num(g.coeff2) + ";" + Num(g.coeff3);
    return line;
}

}  // namespace

std::string DemoSetupText(const DemoDocuments& documents) {
    std::vector<std::string> lines;
    lines.push_back("Days =" + Num(7) + "; End Day +" + std::to_string(2));
    lines.push_back("Plot Unit Values = " + Bool(true));
    lines.push_back("Include Daily Max/Min = " + Bool(true));
    lines.push_back("Big Current Value = " + Bool(true));
    lines.push_back("Auto Paging = " + Bool(true) + ", 20");
    lines.push_back("Font Names & Pen Widths = Liberation Sans, Liberation Sans, " + Num(2) + ", " + Num(1));
    lines.push_back(std::string("Database Connection String= Provider=SQLite;Data Source=") + kDemoDatabaseFileName);
    lines.push_back("");
    lines.push_back("Start Up= " + Num(0) + "," + Num(0) + "," + Num(1280) + "," + Num(800) + "," +
                    Num(WindowState::Maximised));
    lines.push_back("Metric Units=" + Bool(false));
    lines.push_back("");
    lines.push_back(
        "Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; logyscale; "
        "backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; rank-1/cumulative2; freq type "
        "-1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3");
    int number = 0;
    for (const DemoPage& p : DemoPages(documents)) {
        ++number;
        lines.push_back(Num(number) + ";" + p.title + ";" + Num(p.titlefontsize) + ";" + Num(p.axisfontsize) + ";" +
                        Num(p.yaxislabels) + (p.ftpoff ? ";FTP_OFF;" : ";FTP_ON;") +
                        (p.unitsoff ? "UNITS_OFF" : "UNITS_ON"));
        for (int slot = 0; slot < 12; ++slot) {
            DemoGraph empty;
            const DemoGraph& g = slot < static_cast<int>(p.graphs.size()) ? p.graphs[static_cast<size_t>(slot)] : empty;
            lines.push_back(GraphLine(slot + 1, g));
        }
    }
    lines.push_back("END");
    return JoinLinesCrLf(lines);
}

}  // namespace tidemark::demo
