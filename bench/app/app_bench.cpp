// A normal start of the program on the demo program folder, offscreen on a 1920 x 1080
// screen, measured in-process from the process' start: the time until page 1 is drawn.
// Then the unattended run (`tidemark 1`) of the same folder: its first page, the whole
// image cycle with the page time (the paging timer's waits) taken out, the peak resident
// memory.
// Then the one-shot render of the same folder and clock (`tidemark --render-pages`), run
// as the program five times: its median time, and whether its images are the run's,
// pixel for pixel.
//
//   bench_app [DEMO_DIR]    (default: a fresh demo folder under /tmp)
#include "app/main_window.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/daynum.h"
#include "core/textfile.h"
#include "platform/web/web_engine.h"

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

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A normal start, as with a display: page 1 shows once its own graphs are loaded, and
// the other pages load behind it. The window goes once loading has ended.
struct AttendedStart {
    qint64 firstPageMs = -1;
    qint64 loadedMs = -1;
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
    QObject::connect(&window, &MainWindow::PageDrawn, [&](int) {
        if (times.firstPageMs < 0) times.firstPageMs = clock.elapsed();
    });
    if (window.Open() != 0) return {};
    times.loadedMs = clock.elapsed();
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    const double beforeMainMs = MsBeforeMain();
    std::string demo = argc > 1 ? argv[1] : (fs::temp_directory_path() / "tidemark-bench-app/Tidemark").string();
    if (argc <= 1) {
        std::string command = std::string("'") + TIDEMARK_DEMO_EXE + "' '" + demo + "' --now '" + kNow + "' >/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bench_app: tidemark-demo failed\n");
            return 1;
        }
    }
    if (demo.back() != '/') demo += '/';
    for (const auto& entry : fs::directory_iterator(demo))
        if (entry.path().filename().string().rfind("Tidemark_window", 0) == 0) fs::remove(entry.path());

    // From here on the run is timed as a start of the program would be.
    QElapsedTimer clock;
    clock.start();
    std::string screen = (fs::temp_directory_path() / "tidemark-bench-screen.json").string();
    WriteFileAtomic(screen, kScreen);
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
    PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    qint64 startedMs = clock.elapsed();
    AttendedStart attended = TimeAttendedStart(demo, clock);
    if (attended.loadedMs < 0) {
        std::fprintf(stderr, "bench_app: the demo did not load\n");
        return 1;
    }

    // The unattended run, in the same process: warm, and timed from its own start.
    clock.restart();
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
    int status = window.HasClosed() ? window.ExitStatus() : app.exec();
    qint64 totalMs = clock.elapsed();
    qint64 pageTimeMs = static_cast<qint64>(ticks) * 1000;
    // Each page drawn in the cycle waits 200 ms for the window to paint, and each capture
    // 100 ms more: part of the cycle, but not work.
    qint64 paintWaitsMs = static_cast<qint64>(drawn - 1) * 200 + static_cast<qint64>(images) * 100;

    std::printf("demo folder               %s\n", demo.c_str());
    const double attendedFromStart = beforeMainMs + static_cast<double>(attended.firstPageMs);
    std::printf("normal start:\n");
    std::printf("  process start to main   %.0f ms (in 10 ms ticks)\n", beforeMainMs);
    std::printf("  application made        %lld ms after main\n", static_cast<long long>(startedMs));
    std::printf("  first page drawn        %lld ms after main, %.0f ms after the process started (target 100 ms: %s)\n",
                static_cast<long long>(attended.firstPageMs), attendedFromStart,
                attendedFromStart < 100 ? "met" : "NOT met");
    std::printf("  all pages loaded        %lld ms after main\n", static_cast<long long>(attended.loadedMs));
    std::printf("unattended run (warm):\n");
    std::printf("first page drawn          %lld ms (the splash shows until every page is loaded, at %lld ms)\n",
                static_cast<long long>(firstPageMs), static_cast<long long>(loadedMs));
    std::printf("images written            %d, paging ticks %d\n", images, ticks);
    std::printf("whole run                 %lld ms\n", static_cast<long long>(totalMs));
    std::printf("cycle without page time   %lld ms (of which paint waits %lld ms)\n",
                static_cast<long long>(totalMs - pageTimeMs), static_cast<long long>(paintWaitsMs));
    std::printf("peak RSS                  %.1f MB (at first page %.1f MB)\n", PeakRssKb() / 1024.0,
                firstPageRssKb / 1024.0);
    std::printf("exit status               %d\n", status);
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
    std::printf("  images as the run's     %d of %d pixel for pixel\n", identical, pages);
    return identical == pages && pages > 0 ? 0 : 1;
}
