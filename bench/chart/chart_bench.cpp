// A page of 12 graphs (4 x 3 at 1920 x 1080), each a 31-day window of 5-minute values
// with its daily series and a watch-level line, drawn by ChartSurface / PaintChart and,
// in the same run, by gnuplot (pngcairo multiplot of the same data). Prints the
// medians and the ratio at the end.
//
//   bench_chart [--benchmark_repetitions=N ...]
//   CHART_BENCH_OUT=DIR keeps the two PNG files in DIR.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "analysis/axis.h"
#include "core/color.h"
#include "core/daynum.h"
#include "core/vbtext.h"
#include "devices/ui/chart_painter.h"
#include "render/chart_surface.h"
#include "storage/image/png_writer.h"

namespace fs = std::filesystem;
using namespace tidemark;

namespace {

constexpr int kCharts = 12;
constexpr int kPoints = 9984;
constexpr int kDays = 31;
constexpr int kPageWidth = 1920, kPageHeight = 1080;
constexpr int kChartWidth = kPageWidth / 4, kChartHeight = kPageHeight / 3;

struct GraphData {
    std::string station;
    std::vector<double> times, values;  // values: -9999 = missing
    std::vector<double> dayTimes, dayValues;
    double level = 0;
};

struct Page {
    double windowStart = 0, windowEnd = 0;
    std::vector<GraphData> graphs;
};

Page MakePage() {
    Page page;
    double last = MakeDayNumber(2024, 3, 15, 14, 55);
    page.windowEnd = last;
    page.windowStart = last - kDays;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.03);
    for (int g = 0; g < kCharts; ++g) {
        GraphData d;
        d.station = "Station " + std::to_string(g + 1) + " River at Mill " + std::string(1, char('A' + g));
        double base = 2 + g * 1.7, amplitude = 0.4 + 0.1 * g;
        for (int i = 0; i < kPoints; ++i) {
            double t = last - (kPoints - 1 - i) / 288.0;
            double storm = std::exp(-std::pow((t - (last - 9 - g % 5)) * 1.3, 2)) * (3 + g % 4);
            double v = base + amplitude * std::sin(t * 2 * M_PI / 1.03) + storm + noise(random);
            // A logger outage: half a day missing.
            if (i > 4000 && i < 4150) v = kMissing;
            d.times.push_back(t);
            d.values.push_back(v);
        }
        for (int k = 0; k < kDays; ++k) {
            double day = std::floor(page.windowStart) + k + 0.5;
            double sum = 0;
            int n = 0;
            for (size_t i = 0; i < d.times.size(); ++i)
                if (std::fabs(d.times[i] - day) <= 0.5 && !IsMissing(d.values[i])) sum += d.values[i], ++n;
            d.dayTimes.push_back(day);
            d.dayValues.push_back(n ? sum / n : kMissing);
        }
        d.level = base + amplitude + 1.5;
        page.graphs.push_back(std::move(d));
    }
    return page;
}

// Fills and styles one surface the way graph drawing and page layout do for a
// 10-to-12-graph page on a large screen.
void FillSurface(ChartSurface& s, const GraphData& d, const Page& page) {
    const int penwidth1 = 30, penwidth2 = 30, titleFontSize = 10, axisFontSize = 8;
    const int32_t backcolor = RGB(236, 236, 236), back2color = RGB(255, 255, 232);
    const int32_t hrcolor = RGB(0, 0, 200), daycolor = RGB(0, 140, 0);

    s.SetColumnCount(0);
    s.SetRowCount(static_cast<int>(d.times.size()));
    s.SetColumnCount(13);
    double ymin = 99999999, ymax = -99999999;
    for (size_t i = 0; i < d.times.size(); ++i) {
        int r = static_cast<int>(i) + 1;
        s.SetCell(r, 1, d.times[i]);
        s.SetCell(r, 2, d.values[i], IsMissing(d.values[i]));
        if (!IsMissing(d.values[i])) ymin = std::min(ymin, d.values[i]), ymax = std::max(ymax, d.values[i]);
    }
    for (size_t k = 0; k < d.dayTimes.size(); ++k) {
        s.SetCell(static_cast<int>(k) + 1, 3, d.dayTimes[k]);
        s.SetCell(static_cast<int>(k) + 1, 4, d.dayValues[k], IsMissing(d.dayValues[k]));
    }
    s.SetLegendVisible(false);
    s.XAxis().pen.style = PenStyle::Solid;
    s.YAxis().pen.style = PenStyle::Solid;
    s.XAxis().crossingAutomatic = false;
    s.SetBackdropColor(backcolor);
    s.SetPlotWallColor(back2color);

    double windowEnd = page.windowEnd;
    NiceAxisResult xn = Niceaxis(page.windowStart, windowEnd);
    ChartAxis& x = s.XAxis();
    x.scale.automatic = false;
    x.scaleType = ScaleType::Linear;
    x.scale.minimum = xn.min;
    x.scale.maximum = xn.max;
    x.scale.majorDivisions = static_cast<int>(RoundHalfEven((xn.max - xn.min) / xn.step));
    x.scale.minorDivisions = static_cast<int>(RoundHalfEven((xn.max - xn.min) / x.scale.majorDivisions));
    x.labelFormat = "mmmdd";
    x.labelFont.style = 2;
    x.majorGrid.style = PenStyle::Dot;
    x.minorGrid.style = PenStyle::None;

    ChartSeries& main = s.Series(1);
    main.pen.color = hrcolor;
    main.marker.penColor = hrcolor;
    main.marker.size = 2 * penwidth1 + 65;
    main.pen.width = penwidth1;
    main.showLine = true;
    main.marker.visible = false;
    ChartSeries& daily = s.Series(3);
    daily.showLine = true;
    daily.autoMarkers = false;
    daily.marker.visible = true;
    daily.marker.size = 2 * penwidth2 + 65;
    daily.marker.style = MarkerStyle::FilledSquare;
    daily.pen.color = daily.marker.penColor = daily.marker.fillColor = daycolor;
    daily.pen.width = penwidth2;

    ymin = std::min(ymin, d.level), ymax = std::max(ymax, d.level);
    NiceAxisResult yn = Niceaxis(ymin, ymax);
    ChartAxis& y = s.YAxis();
    y.scale.automatic = false;
    y.scale.minimum = yn.min;
    y.scale.maximum = yn.max;
    y.scale.majorDivisions = static_cast<int>(RoundHalfEven((yn.max - yn.min) / yn.step));
    y.scale.minorDivisions = 0;
    y.majorGrid.style = PenStyle::Dot;
    x.crossingPoint = yn.min;
    x.labelsInsidePlot = false;

    ChartSeries& level = s.Series(7);
    level.legendText = "Level";
    level.pen = {PenStyle::Solid, RGB(255, 0, 0), penwidth1};
    s.SetCell(1, 7, page.windowStart);
    s.SetCell(1, 8, d.level);
    s.SetCell(2, 7, page.windowEnd);
    s.SetCell(2, 8, d.level);
    s.Series(9).showLine = false;
    s.Series(11).showLine = false;
    s.Series(5).showLine = false;
    y.scaleType = ScaleType::Linear;

    // Layout for 10 to 12 graphs: x0 20, xr 100, f 0.88; screen-height class 250.
    double w = kChartWidth * 15.0, h = kChartHeight * 15.0;
    s.SetBounds(0, 0, static_cast<int>(w), static_cast<int>(h));
    s.Title().font = {"Arial", double(titleFontSize), 0, 0};
    s.SetTitleText(d.station + "\r\n" + Format(d.values.back(), "0.00") + " ft" +
                   FormatDate(d.times.back(), " Mmm dd h:mm ampm"));
    s.XAxis().labelFont.size = s.YAxis().labelFont.size = axisFontSize;
    s.SetAxisColor(0);
    ChartRect plot{20, 0.105 * h, w - 100, (0.88 - 0.002 * titleFontSize) * h};
    s.SetPlotRect(plot);
    const double c = 250;
    s.SetTitleRect(
        {plot.minX + 500, plot.maxY - 200 + c / 2, plot.maxX + 100, plot.maxY + 240 + 10 * titleFontSize + c / 2});
}

QImage RenderPage(const std::vector<ChartSurface>& surfaces) {
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (int g = 0; g < kCharts; ++g) {
        QRectF target((g % 4) * kChartWidth, (g / 4) * kChartHeight, kChartWidth, kChartHeight);
        PaintChart(painter, surfaces[g], target);
    }
    return page;
}

struct Fixture {
    Page page = MakePage();
    fs::path folder;
    std::string gnuplotScript;
    std::vector<ChartSurface> surfaces = std::vector<ChartSurface>(kCharts);

    Fixture() {
        folder = fs::temp_directory_path() / ("tidemark_chart_bench_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        for (int g = 0; g < kCharts; ++g) FillSurface(surfaces[g], page.graphs[g], page);
        WriteGnuplotInputs();
    }
    ~Fixture() {
        if (const char* out = std::getenv("CHART_BENCH_OUT")) {
            fs::create_directories(out);
            for (const char* name : {"tidemark.png", "gnuplot.png"})
                if (fs::exists(folder / name))
                    fs::copy_file(folder / name, fs::path(out) / name, fs::copy_options::overwrite_existing);
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Unix seconds of a day number, which gnuplot's time axis reads.
    static long long Seconds(double day) { return std::llround((day - 25569.0) * 86400.0); }

    void WriteGnuplotInputs() {
        std::ofstream script(folder / "page.gp");
        script << "set terminal pngcairo size " << kPageWidth << "," << kPageHeight
               << " font 'Liberation Sans,8' background rgb '#FFFFFF'\n"
               << "set output '" << (folder / "gnuplot.png").string() << "'\n"
               << "set multiplot layout 3,4\n"
               << "set xdata time\nset timefmt '%s'\nset format x '%b%d'\n"
               << "set grid xtics ytics lt 0 lw 1\nunset key\n"
               << "set xrange ['" << Seconds(page.windowStart) << "':'" << Seconds(page.windowEnd) << "']\n";
        for (int g = 0; g < kCharts; ++g) {
            const GraphData& d = page.graphs[g];
            std::string base = (folder / ("g" + std::to_string(g))).string();
            std::ofstream hourly(base + "_hour.dat"), daily(base + "_day.dat");
            char line[64];
            for (size_t i = 0; i < d.times.size(); ++i) {
                if (IsMissing(d.values[i])) {
                    hourly << "\n";  // a blank line breaks the line
                    continue;
                }
                std::snprintf(line, sizeof line, "%lld %.4f\n", Seconds(d.times[i]), d.values[i]);
                hourly << line;
            }
            for (size_t k = 0; k < d.dayTimes.size(); ++k) {
                std::snprintf(line, sizeof line, "%lld %.4f\n", Seconds(d.dayTimes[k]), d.dayValues[k]);
                daily << line;
            }
            const ChartAxis& y = surfaces[g].YAxis();
            double step = (y.scale.maximum - y.scale.minimum) / y.scale.majorDivisions;
            script << "set title \"" << d.station << "\\n"
                   << Format(d.values.back(), "0.00") << " ft" << FormatDate(d.times.back(), " Mmm dd h:mm ampm")
                   << "\" font 'Liberation Sans,10'\n"
                   << "set yrange [" << y.scale.minimum << ":" << y.scale.maximum << "]\nset ytics " << step << "\n"
                   << "set object 1 rect from graph 0,0 to graph 1,1 behind fc rgb '#FFFFE8' fs solid noborder\n"
                   << "plot '" << base << "_hour.dat' using 1:2 with lines lw 2 lc rgb '#0000C8', "
                   << "'" << base << "_day.dat' using 1:2 with linespoints lw 2 pt 5 ps 0.7 lc rgb '#008C00', "
                   << d.level << " with lines lw 2 lc rgb '#FF0000'\n";
        }
        script << "unset multiplot\n";
        gnuplotScript = (folder / "page.gp").string();
    }
};

Fixture* fixture = nullptr;

double ChildCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void BM_RenderPage(benchmark::State& state) {
    for (auto _ : state) {
        QImage image = RenderPage(fixture->surfaces);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_FillRenderWritePng(benchmark::State& state) {
    std::string path = (fixture->folder / "tidemark.png").string();
    for (auto _ : state) {
        std::vector<ChartSurface> surfaces(kCharts);
        for (int g = 0; g < kCharts; ++g) FillSurface(surfaces[g], fixture->page.graphs[g], fixture->page);
        QImage image = RenderPage(surfaces);
        if (!WritePng(image, path)) state.SkipWithError("PNG could not be written");
    }
}

void BM_GnuplotPage(benchmark::State& state) {
    std::string command = "/usr/bin/gnuplot '" + fixture->gnuplotScript + "' 2>/dev/null";
    double childCpu = 0;
    for (auto _ : state) {
        double before = ChildCpuMilliseconds();
        if (std::system(command.c_str()) != 0) state.SkipWithError("gnuplot failed");
        childCpu += ChildCpuMilliseconds() - before;
    }
    // gnuplot's own processor time: the run's CPU column counts only this process.
    state.counters["gnuplot_cpu_ms"] = benchmark::Counter(childCpu / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_RenderPage)->Unit(benchmark::kMillisecond)->Repetitions(15)->MinTime(0.2);
BENCHMARK(BM_FillRenderWritePng)->Unit(benchmark::kMillisecond)->Repetitions(9)->MinTime(0.2);
BENCHMARK(BM_GnuplotPage)->Unit(benchmark::kMillisecond)->Repetitions(7)->Iterations(1);

// Keeps the medians so the run can close with the comparison.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians, cpuMedians;  // milliseconds
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
                auto child = run.counters.find("gnuplot_cpu_ms");
                cpuMedians[run.run_name.function_name] =
                    child != run.counters.end() ? child->second.value : run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture f;
    fixture = &f;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto get = [&](const std::map<std::string, double>& m, const char* name) {
        auto it = m.find(name);
        return it == m.end() ? 0.0 : it->second;
    };
    double render = get(reporter.medians, "BM_RenderPage"), ours = get(reporter.medians, "BM_FillRenderWritePng"),
           gnuplot = get(reporter.medians, "BM_GnuplotPage");
    double renderCpu = get(reporter.cpuMedians, "BM_RenderPage"),
           oursCpu = get(reporter.cpuMedians, "BM_FillRenderWritePng"),
           gnuplotCpu = get(reporter.cpuMedians, "BM_GnuplotPage");
    if (render > 0 && ours > 0 && gnuplot > 0) {
        std::printf("\nmedians, wall clock: render %.1f ms, fill+render+PNG %.1f ms, gnuplot %.1f ms\n", render, ours,
                    gnuplot);
        std::printf("medians, processor:  render %.1f ms, fill+render+PNG %.1f ms, gnuplot %.1f ms\n", renderCpu,
                    oursCpu, gnuplotCpu);
        std::printf("gnuplot / ours (fill+render+PNG): %.1fx wall, %.1fx processor; gnuplot / render: %.1fx wall\n",
                    gnuplot / ours, oursCpu > 0 ? gnuplotCpu / oursCpu : 0.0, gnuplot / render);
        std::printf("targets: render under 60 ms: %s; at least 10x faster than gnuplot: %s\n",
                    render < 60 ? "met" : "NOT met", gnuplot / ours >= 10 ? "met" : "NOT met");
    }
    fixture = nullptr;
    benchmark::Shutdown();
    return 0;
}
