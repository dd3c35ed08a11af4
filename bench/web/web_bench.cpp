// One unattended start (`tidemark 3600`) of a program folder, offscreen on a 1920 x 1080
// screen, measured in-process: the time from start until page 1 is drawn (an unattended
// start draws it once every page and web screen has loaded); then every page is turned
// to and captured as the image round captures it, so every web screen has been laid out
// and painted; then, once the browsers have settled, the resident memory of the program
// and of every process it started (its browser processes and theirs).
//
//   bench_web_run FOLDER    prints: seconds main_rss_kib total_rss_kib total_pss_kib processes
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/daynum.h"
#include "core/textfile.h"
#include "devices/web/web_engine.h"

namespace fs = std::filesystem;
using namespace tidemark;

namespace {

constexpr const char* kScreen =
    R"({"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";

// A field ("VmRSS:", "Pss:") in kB from a /proc file; 0 when missing.
long Field(const std::string& path, const std::string& name) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(name, 0) == 0) return std::stol(line.substr(name.size()));
    return 0;
}

// `root` and every process below it, from the parents in /proc/*/status (the kernel's
// own children lists are not built into every kernel), read once.
std::vector<std::string> ProcessTree(const std::string& root) {
    std::multimap<std::string, std::string> children;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        children.emplace(std::to_string(Field(entry.path() / "status", "PPid:")), name);
    }
    std::vector<std::string> tree = {root};
    for (size_t i = 0; i < tree.size(); ++i)
        for (auto [c, end] = children.equal_range(tree[i]); c != end; ++c) tree.push_back(c->second);
    return tree;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_web_run FOLDER\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    std::string folder = argv[1];
    if (folder.back() != '/') folder += '/';
    std::string screen = (fs::temp_directory_path() / "tidemark-bench-web-screen.json").string();
    if (Result<void> written = WriteFileAtomic(screen, kScreen); !written) {
        std::fprintf(stderr, "%s\n", written.error().c_str());
        return 1;
    }
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
    PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    ProgramState state;
    state.programFolder = folder;
    state.autostartseconds = 3600;
    WindowOptions options;
    options.fixedNow = ParseDateTimeText("2026-03-10 14:00");
    options.printWrittenImages = false;
    qint64 firstPageMs = -1;
    MainWindow window(state, options);
    QObject::connect(&window, &MainWindow::PageDrawn, [&](int page) {
        if (page == 1 && firstPageMs < 0) firstPageMs = clock.elapsed();
    });
    if (window.Open() != 0 || firstPageMs < 0) {
        std::fprintf(stderr, "bench_web_run: %s did not load\n", folder.c_str());
        return 1;
    }
    for (int p = 2; p <= state.pages.pagecount; ++p) {
        window.NextPage();
        if (window.CaptureClientArea().isNull()) {
            std::fprintf(stderr, "bench_web_run: page %d could not be captured\n", p);
            return 1;
        }
    }
    // The browsers' processes settle after their last paint.
    QEventLoop settle;
    QTimer::singleShot(3000, &settle, &QEventLoop::quit);
    settle.exec();

    std::string self = std::to_string(::getpid());
    std::vector<std::string> tree = ProcessTree(self);
    long mainRss = Field("/proc/" + self + "/status", "VmRSS:"), rss = 0, pss = 0;
    for (const std::string& pid : tree) {
        rss += Field("/proc/" + pid + "/status", "VmRSS:");
        pss += Field("/proc/" + pid + "/smaps_rollup", "Pss:");
    }
    std::printf("%.3f %ld %ld %ld %zu\n", firstPageMs / 1000.0, mainRss, rss, pss, tree.size());
    std::fflush(stdout);
    state.setupdirty = false;
    return 0;
}
