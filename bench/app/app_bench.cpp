// A normal start of the program on the demo program folder, offscreen on a 1920 x 1080
// screen: this program starts itself seven times as a fresh process and takes the
// median time from the spawn until page 1 is on the screen: the first completed paint of
// the window that shows a graph (the drawing code marks the window for painting and lets
// it paint; what the user sees comes with the paint). Then the unattended run
// (`tidemark 1`) of the same folder: its first page, the whole image cycle with the page
// time (the paging timer's waits) taken out, the peak resident memory.
// Then the one-shot render of the same folder and clock (`tidemark --render-pages`), run
// as the program five times: its median time, and whether its images are the run's,
// pixel for pixel.
//
//   bench_app [DEMO_DIR]    (default: a fresh demo folder under /tmp)
//   bench_app DEMO_DIR --start-only [--spawned-at NS --result FILE]
//       one normal start; with --spawned-at (CLOCK_MONOTONIC nanoseconds of the spawn)
//       its times are written to FILE as "<first page painted> <first page drawn> <all
//       loaded>" in ms since then.
#include "app/main_window.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QMetaObject>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/console_host.h"
#include "core/daynum.h"
#include "core/textfile.h"
#include "devices/ui/chart_view.h"
#include "devices/web/web_engine.h"
#include "setup/setup_reader.h"
#include "setup/setup_writer.h"

namespace fs = std::filesystem;
using namespace tidemark;

namespace {

constexpr const char* kScreen =
    R"({"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";
constexpr const char* kNow = "2026-12-08 14:40";

// How long the process ran before main: the dynamic loader maps and relocates Qt and
// the browser engine first. The kernel counts a process' start in clock ticks since boot.
double MsBeforeMain() {
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat) return -1;
    char buffer[1024] = {};
    size_t n = std::fread(buffer, 1, sizeof buffer - 1, stat);
    std::fclose(stat);
    buffer[n] = 0;
    // The command name in parentheses may hold spaces: the fields are counted after it.
    const char* after = std::strrchr(buffer, ')');
    if (!after) return -1;
    unsigned long long startTicks = 0;
    if (std::sscanf(after + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                    &startTicks) != 1)
        return -1;
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    double nowMs = boot.tv_sec * 1000.0 + boot.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

double MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

struct StartTimes {
    double firstPaintMs = -1;
    double firstPageMs = -1;
    double loadedMs = -1;
};

// One normal start in a process of its own, timed from just before the spawn: the
// loader's work and the libraries' initialisers are part of a start.
StartTimes TimeStartInNewProcess(const char* self, const std::string& demo) {
    const std::string result = (fs::temp_directory_path() / "tidemark-bench-start.txt").string();
    fs::remove(result);
    const std::string spawnedAt = std::to_string(static_cast<long long>(MonotonicMs() * 1e6));
    std::vector<std::string> args = {self, demo, "--start-only", "--spawned-at", spawnedAt, "--result", result};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int spawned = posix_spawn(&child, self, &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    StartTimes times;
    std::ifstream(result) >> times.firstPaintMs >> times.firstPageMs >> times.loadedMs;
    return times;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A normal start, as with a display: page 1 shows once its own graphs are loaded, and
// the other pages load behind it. The window goes once loading has ended, and once page
// 1 has been painted.
struct AttendedStart {
    qint64 firstPaintMs = -1;
    qint64 firstPageMs = -1;
    qint64 loadedMs = -1;
};

// Sees every paint event of the application. The graphs are hidden until a page is drawn
// into them, and the page surface takes no paint while it is drawn: the first paint that
// reaches a shown graph of the window is page 1 on the screen. It may come inside the
// drawing code's own turn of the event loop, before the window says the page is drawn.
// The paint has completed when the event loop next turns (the backing store paints every
// marked widget and flushes in one go), which is when the time is read.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(const QWidget& window, const QElapsedTimer& clock, qint64& paintedMs)
        : window_(window), clock_(clock), paintedMs_(paintedMs) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint) {
            auto* chart = dynamic_cast<ChartView*>(watched);
            if (chart && chart->isVisible() && window_.isAncestorOf(chart)) {
                seen_ = true;
                QMetaObject::invokeMethod(
                    this, [this] { paintedMs_ = clock_.elapsed(); }, Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QWidget& window_;
    const QElapsedTimer& clock_;
    qint64& paintedMs_;
    bool seen_ = false;
};

AttendedStart TimeAttendedStart(const std::string& demo, const QElapsedTimer& clock) {
    ProgramState state;
    state.programFolder = demo;
    WindowOptions options;
    options.fixedNow = ParseDateTimeText(kNow);
    options.headless = true;
    options.printWrittenImages = false;
    AttendedStart times;
    MainWindow window(state, options);
    FirstPaintWatch watch(window, clock, times.firstPaintMs);
    qApp->installEventFilter(&watch);
    QObject::connect(&window, &MainWindow::PageDrawn, [&](int) {
        if (times.firstPageMs >= 0) return;
        times.firstPageMs = clock.elapsed();
    });
    if (window.Open() != 0) return {};
    times.loadedMs = clock.elapsed();
    // The load may end before the window had a turn of the event loop to paint in.
    QElapsedTimer wait;
    wait.start();
    while (times.firstPaintMs < 0 && wait.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    qApp->removeEventFilter(&watch);
    return times;
}

// Seven normal starts of the folder, each a fresh process: the median and the spread.
bool ReportNormalStarts(const char* self, const std::string& folder, const char* what) {
    std::vector<StartTimes> starts;
    for (int run = 0; run < 7; ++run) {
        StartTimes start = TimeStartInNewProcess(self, folder);
        if (start.firstPaintMs < 0) {
            std::fprintf(stderr, "bench_app: a normal start of %s failed\n", folder.c_str());
            return false;
        }
        starts.push_back(start);
    }
    std::sort(starts.begin(), starts.end(),
              [](const StartTimes& a, const StartTimes& b) { return a.firstPaintMs < b.firstPaintMs; });
    const StartTimes& median = starts[starts.size() / 2];
    std::printf("normal start of %s (median of %zu fresh processes, from the spawn):\n", what, starts.size());
    std::printf("  first page painted      %.0f ms (%.0f to %.0f; target 100 ms: %s)\n", median.firstPaintMs,
                starts.front().firstPaintMs, starts.back().firstPaintMs, median.firstPaintMs < 100 ? "met" : "NOT met");
    std::printf("  first page drawn        %.0f ms (the drawing code's end, which paints the page within)\n",
                median.firstPageMs);
    std::printf("  all pages loaded        %.0f ms\n", median.loadedMs);
    return true;
}

// A copy of the demo folder beside it whose web-screen slots are empty, read and written
// back as the program reads and saves its setup: the pages of graphs alone, with no
// browser engine to start. Empty when it could not be made.
std::string WithoutWebScreens(const std::string& demo) {
    const std::string copy = (fs::path(demo).parent_path().parent_path() / "TidemarkGraphsOnly").string() + "/";
    std::error_code error;
    fs::remove_all(copy, error);
    fs::copy(demo, copy, fs::copy_options::recursive, error);
    if (error) return {};
    ConsoleHost host;
    SetupSettings settings;
    PageSet pages;
    SiteCatalogue catalogue;
    FrequencyTable frequency;
    if (!SetupReader(host).Read(copy, {settings, pages, catalogue, frequency})) return {};
    for (int p = 1; p <= pages.pagecount; ++p)
        for (int slot = 0; slot < kGraphsPerPage; ++slot)
            if (pages.Graph(p, slot).Kind() == SlotKind::WebScreen) pages.Graph(p, slot) = GraphDef{};
    if (!SetupWriter().Write(copy, settings, pages)) return {};
    return copy;
}

}  // namespace

// The unattended run, in this process, timed from its own start; its exit status. The
// window and its browsers go with the function, before the one-shot render is timed:
// their renderer would otherwise go on drawing frames on the cores the render needs.
int TimeUnattendedRun(const std::string& demo, QApplication& app) {
    QElapsedTimer clock;
    clock.start();
    ProgramState state;
    state.programFolder = demo;
    state.autostartseconds = 1;
    WindowOptions options;
    options.fixedNow = ParseDateTimeText(kNow);
    options.printWrittenImages = false;

    qint64 firstPageMs = -1;
    long firstPageRssKb = 0;
    int images = 0;
    int drawn = 0;
    int ticks = 0;
    MainWindow window(state, options);
    QObject::connect(&window, &MainWindow::PageDrawn, [&](int) {
        ++drawn;
        if (firstPageMs < 0) {
            firstPageMs = clock.elapsed();
            firstPageRssKb = PeakRssKb();
        }
    });
    QObject::connect(&window, &MainWindow::ImageWritten, [&](const QString&) { ++images; });
    QObject::connect(&window.Pager().Timer(), &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(&window, &MainWindow::Closed, &app, [&app](int status) { app.exit(status); });

    if (window.Open() != 0) {
        std::fprintf(stderr, "bench_app: the demo did not load\n");
        return 1;
    }
    qint64 loadedMs = clock.elapsed();
    const int status = window.HasClosed() ? window.ExitStatus() : app.exec();
    qint64 totalMs = clock.elapsed();
    qint64 pageTimeMs = static_cast<qint64>(ticks) * 1000;
    // Each page drawn in the cycle waits 200 ms for the window to paint, and each capture
    // 100 ms more: part of the cycle, but not work.
    qint64 paintWaitsMs = static_cast<qint64>(drawn - 1) * 200 + static_cast<qint64>(images) * 100;

    std::printf("unattended run:\n");
    std::printf("first page drawn          %lld ms (the splash shows until every page is loaded, at %lld ms)\n",
                static_cast<long long>(firstPageMs), static_cast<long long>(loadedMs));
    std::printf("images written            %d, paging ticks %d\n", images, ticks);
    std::printf("whole run                 %lld ms\n", static_cast<long long>(totalMs));
    std::printf("cycle without page time   %lld ms (of which paint waits %lld ms)\n",
                static_cast<long long>(totalMs - pageTimeMs), static_cast<long long>(paintWaitsMs));
    std::printf("peak RSS                  %.1f MB (at first page %.1f MB)\n", PeakRssKb() / 1024.0,
                firstPageRssKb / 1024.0);
    std::printf("exit status               %d\n", status);
    return status;
}

int main(int argc, char** argv) {
    const double beforeMainMs = MsBeforeMain();
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool startOnly = std::erase(args, "--start-only") > 0;
    std::optional<double> spawnedAtMs;
    std::string resultFile;
    for (size_t i = 0; i + 1 < args.size();) {
        if (args[i] == "--spawned-at") {
            spawnedAtMs = std::stod(args[i + 1]) / 1e6;
        } else if (args[i] == "--result") {
            resultFile = args[i + 1];
        } else {
            ++i;
            continue;
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    const bool freshDemo = args.empty();
    std::string demo = freshDemo ? (fs::temp_directory_path() / "tidemark-bench-app/Tidemark").string() : args[0];
    if (freshDemo) {
        std::string command = std::string("'") + TIDEMARK_DEMO_EXE + "' '" + demo + "' --now '" + kNow + "' >/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bench_app: tidemark-demo failed\n");
            return 1;
        }
    }
    if (demo.back() != '/') demo += '/';
    for (const auto& entry : fs::directory_iterator(demo))
        if (entry.path().filename().string().rfind("Tidemark_window", 0) == 0) fs::remove(entry.path());

    std::string screen = (fs::temp_directory_path() / "tidemark-bench-screen.json").string();
    if (!startOnly) {
        if (Result<void> written = WriteFileAtomic(screen, kScreen); !written) {
            std::fprintf(stderr, "%s\n", written.error().c_str());
            return 1;
        }
    }
    // Offscreen unless run on a display of its own choosing (an X server with a window
    // manager: tests/app/with_window_manager.sh).
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform).rfind("offscreen", 0) == 0)
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);

    if (startOnly) {
        // From here on the run is timed as a start of the program would be.
        QElapsedTimer clock;
        clock.start();
        const double mainAtMs = spawnedAtMs ? MonotonicMs() - *spawnedAtMs : beforeMainMs;
        PrepareWebEngine();
        QApplication app(argc, argv);
        app.setQuitOnLastWindowClosed(false);
        qint64 startedMs = clock.elapsed();
        AttendedStart attended = TimeAttendedStart(demo, clock);
        if (attended.loadedMs < 0) {
            std::fprintf(stderr, "bench_app: the demo did not load\n");
            return 1;
        }
        if (attended.firstPaintMs < 0) {
            std::fprintf(stderr, "bench_app: page 1 was drawn but the window never painted it\n");
            return 1;
        }
        if (!resultFile.empty()) {
            std::ofstream(resultFile) << mainAtMs + static_cast<double>(attended.firstPaintMs) << ' '
                                      << mainAtMs + static_cast<double>(attended.firstPageMs) << ' '
                                      << mainAtMs + static_cast<double>(attended.loadedMs) << '\n';
            return 0;
        }
        std::printf("process start to main     %.0f ms (in 10 ms ticks)\n", beforeMainMs);
        std::printf("application made          %lld ms after main\n", static_cast<long long>(startedMs));
        std::printf("first page drawn          %lld ms after main\n", static_cast<long long>(attended.firstPageMs));
        std::printf("first page painted        %lld ms after main\n", static_cast<long long>(attended.firstPaintMs));
        std::printf("all pages loaded          %lld ms after main\n", static_cast<long long>(attended.loadedMs));
        return 0;
    }

    std::printf("demo folder               %s\n", demo.c_str());
    if (!ReportNormalStarts(argv[0], demo, "the demo, whose later pages hold HTML web screens")) return 1;
    const std::string graphsOnly = WithoutWebScreens(demo);
    if (graphsOnly.empty() || !ReportNormalStarts(argv[0], graphsOnly, "the demo with its web screens left empty"))
        return 1;

    PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const int status = TimeUnattendedRun(demo, app);
    // The engine ends the closed browsers' renderer while events run.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (status != 0) return status;

    // The one-shot render: the same folder and clock, the same screen.
    std::string out = (fs::temp_directory_path() / "tidemark-bench-app-render").string();
    std::string command = "QT_QPA_PLATFORM='offscreen:configfile=" + screen + "' '" + TIDEMARK_EXE + "' --folder '" +
                          demo + "' --render-pages '" + out + "' --now '" + kNow + "' >/dev/null";
    std::vector<qint64> times;
    for (int run = 0; run < 5; ++run) {
        fs::remove_all(out);
        QElapsedTimer render;
        render.start();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bench_app: tidemark --render-pages failed\n");
            return 1;
        }
        times.push_back(render.elapsed());
    }
    std::sort(times.begin(), times.end());
    int pages = 0, identical = 0;
    for (const auto& entry : fs::directory_iterator(demo)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("Tidemark_window", 0) != 0) continue;
        ++pages;
        QImage ran(QString::fromStdString(entry.path().string()));
        QImage rendered(QString::fromStdString(out + "/" + name));
        if (!ran.isNull() &&
            ran.convertToFormat(QImage::Format_RGB32) == rendered.convertToFormat(QImage::Format_RGB32))
            ++identical;
    }
    std::printf("--render-pages            %lld ms median of %zu runs (target under 1000 ms: %s)\n",
                static_cast<long long>(times[times.size() / 2]), times.size(),
                times[times.size() / 2] < 1000 ? "met" : "NOT met");
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        std::printf("  images as the run's     %d of %d pixel for pixel\n", identical, pages);
    else  // --render-pages always draws offscreen: another display's fonts and frame
        std::printf("  images as the run's     not compared (the run drew on %s)\n",
                    qPrintable(QGuiApplication::platformName()));
    return identical == pages && pages > 0 ? 0 : 1;
}
