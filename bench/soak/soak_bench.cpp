// Months on a wall display, compressed, offscreen on a 1920 x 1080 screen:
//
//  1. Loads of 300 and 1,000 pages of one hourly graph each (the demo's database): the
//     time of the whole load and the resident memory after it, and from the two the
//     cost of one more page.
//  2. The soak: the demo (its web screens left out) started normally, then paged
//     10,000 times by driving the paging tick directly, the database's update stamp
//     changed every 10 pages so every tenth tick reloads all pages. Resident memory is
//     sampled after every turn: the start, the peak and the growth over the last 9,000
//     turns.
//
//   bench_soak [--turns N] [--pages N,N,...] [--folder DIR]
//
// Each load and the soak run in a process of their own (this program started again),
// so one's memory does not hide in another's figures.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/daynum.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "setup/setup_format.h"

namespace fs = std::filesystem;
using namespace tidemark;

namespace {

constexpr const char* kScreen =
    R"({"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";
constexpr const char* kNow = "2026-12-08 14:40";
constexpr int kReloadEvery = 10;
constexpr int kWarmTurns = 1000;  // growth is measured over the turns after these

double RssMb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "bench_soak: %s\n", what.c_str());
    std::exit(1);
}

std::vector<std::string> FileLines(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) Die("cannot read " + path);
    return SplitLines(*bytes);
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    if (Result<void> written = WriteFileAtomic(path, JoinLinesCrLf(lines)); !written) Die(written.error());
}

// The setup file as its top section (through the header line) and its pages, each a
// page line and its 12 graph lines.
struct SetupLines {
    std::vector<std::string> top;
    std::vector<std::vector<std::string>> pages;
};

SetupLines ReadSetup(const std::string& folder) {
    std::vector<std::string> lines = FileLines(folder + "Tidemark_setup.txt");
    SetupLines setup;
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        setup.top.push_back(lines[i]);
        if (lines[i] == kSetupHeaderLine) break;
    }
    for (++i; i + 12 < lines.size() && Trim(lines[i]) != "END"; i += 13)
        setup.pages.emplace_back(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(i) + 13);
    if (setup.pages.empty()) Die("no pages in the demo's setup file");
    return setup;
}

void WriteSetup(const std::string& folder, const SetupLines& setup) {
    std::vector<std::string> lines = setup.top;
    for (const auto& page : setup.pages) lines.insert(lines.end(), page.begin(), page.end());
    lines.push_back("END");
    WriteLines(folder + "Tidemark_setup.txt", lines);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
    return fields;
}

// The second field of a graph line: its dsid (and second dsid, run, alert).
std::string DsidField(const std::string& line) {
    std::vector<std::string> fields = Fields(line);
    return fields.size() > 1 ? Trim(fields[1]) : std::string();
}

bool IsWebScreen(const std::string& line) { return DsidField(line) == "-1"; }
bool IsEmptySlot(const std::string& line) { return DsidField(line).empty() || DsidField(line) == "0"; }

// A plain graph of one series: no second series, run or alert, no special kind.
bool IsPlainGraph(const std::string& line) {
    std::string dsid = DsidField(line);
    if (dsid.empty() || dsid == "0" || dsid == "-1" || dsid.find(',') != std::string::npos) return false;
    std::vector<std::string> fields = Fields(line);
    return fields.size() >= 15 && !StartsWith(fields[2], "Monthly") && Trim(fields[14]) == "0" &&
           (fields.size() < 16 || Trim(fields[15]) == "0");
}

// Graph line `line` as graph `n` of its page.
std::string Renumbered(const std::string& line, int n) {
    size_t semicolon = line.find(';');
    return " " + std::to_string(n) + " " + line.substr(semicolon);
}

void CopyFolder(const std::string& from, const std::string& to) {
    fs::remove_all(to);
    fs::create_directories(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

// The first empty graph line of the setup, as a filler.
std::string EmptyGraphLine(const SetupLines& setup) {
    for (const auto& page : setup.pages)
        for (size_t g = 1; g < page.size(); ++g)
            if (IsEmptySlot(page[g])) return page[g];
    Die("the demo has no empty graph slot");
}

// A program folder of `n` pages of one plain hourly graph each, cycling through the
// demo's plain graphs.
std::string ManyPagesFolder(const std::string& demo, const std::string& root, int n) {
    std::string folder = root + "/pages" + std::to_string(n) + "/Tidemark/";
    CopyFolder(demo, folder);
    SetupLines setup = ReadSetup(demo);
    std::vector<std::string> graphs;
    for (const auto& page : setup.pages)
        for (size_t g = 1; g < page.size(); ++g)
            if (IsPlainGraph(page[g])) graphs.push_back(page[g]);
    if (graphs.empty()) Die("the demo has no plain graph");
    std::string empty = EmptyGraphLine(setup);
    SetupLines many{setup.top, {}};
    for (int p = 1; p <= n; ++p) {
        std::vector<std::string> page = {" " + std::to_string(p) + " ;Page " + std::to_string(p) +
                                         "; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON"};
        page.push_back(Renumbered(graphs[static_cast<size_t>(p - 1) % graphs.size()], 1));
        for (int g = 2; g <= 12; ++g) page.push_back(Renumbered(empty, g));
        many.pages.push_back(page);
    }
    WriteSetup(folder, many);
    return folder;
}

// The demo with its web screens left out (each costs a browser of its own) and its
// pages turned by the benchmark, not by its own timer.
std::string SoakFolder(const std::string& demo, const std::string& root) {
    std::string folder = root + "/soak/Tidemark/";
    CopyFolder(demo, folder);
    CopyFolder(root + "/demo/Streamkeep/", root + "/soak/Streamkeep/");
    SetupLines setup = ReadSetup(demo);
    std::string empty = EmptyGraphLine(setup);
    SetupLines kept{setup.top, {}};
    for (std::vector<std::string> page : setup.pages) {
        bool anyGraph = false;
        for (size_t g = 1; g < page.size(); ++g) {
            if (IsWebScreen(page[g])) page[g] = Renumbered(empty, static_cast<int>(g));
            anyGraph = anyGraph || !IsEmptySlot(page[g]);
        }
        if (!anyGraph) continue;
        page[0] = " " + std::to_string(kept.pages.size() + 1) + " " + page[0].substr(page[0].find(';'));
        kept.pages.push_back(page);
    }
    for (std::string& line : kept.top)
        if (line.rfind("Auto Paging", 0) == 0) line = "Auto Paging = False, 5";
    WriteSetup(folder, kept);
    return folder;
}

std::unique_ptr<QApplication> StartQt(int& argc, char** argv, const std::string& root) {
    std::string screen = root + "/screen.json";
    WriteLines(screen, {kScreen});
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
    auto app = std::make_unique<QApplication>(argc, argv);
    app->setQuitOnLastWindowClosed(false);
    return app;
}

WindowOptions Headless() {
    WindowOptions options;
    options.fixedNow = ParseDateTimeText(kNow);
    options.printWrittenImages = false;
    options.headless = true;
    return options;
}

// Child: a normal start of `folder`, timed, and the memory it holds after the load.
int RunLoad(int argc, char** argv, const std::string& folder, const std::string& root) {
    auto app = StartQt(argc, argv, root);
    double before = RssMb();
    ProgramState state;
    state.programFolder = folder;
    QElapsedTimer clock;
    clock.start();
    MainWindow window(state, Headless());
    if (window.Open() != 0) Die("the load of " + folder + " failed");
    qint64 ms = clock.elapsed();
    app->processEvents();
    std::printf("result: %d %lld %.1f %.1f\n", static_cast<int>(state.pages.pagecount), static_cast<long long>(ms),
                before, RssMb());
    return 0;
}

// Child: the soak.
int RunSoak(int argc, char** argv, const std::string& folder, const std::string& root, int turns) {
    auto app = StartQt(argc, argv, root);
    // The logger's side: a writer of its own stamps rupdate as new data arrives.
    QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "bench-writer");
    writer.setDatabaseName(QString::fromStdString(folder + "tidemark_demo.sqlite"));
    if (!writer.open()) Die("cannot open the demo database: " + writer.lastError().text().toStdString());
    QSqlQuery stamp(writer);
    double stampTime = *ParseDateTimeText(kNow);

    ProgramState state;
    state.programFolder = folder;
    MainWindow window(state, Headless());
    if (window.Open() != 0) Die("the demo did not load");
    window.Pager().Stop();
    app->processEvents();
    double start = RssMb(), peak = start, warm = start;
    int failures = 0;
    QElapsedTimer clock;
    clock.start();
    for (int turn = 1; turn <= turns; ++turn) {
        if (turn % kReloadEvery == 0) {
            stampTime += 1.0 / 1440;
            std::string text = FormatDate(stampTime, "yyyy-mm-dd hh:nn:ss");
            if (!stamp.exec(
                    QString::fromStdString("UPDATE rupdate SET date_time = '" + text + "' WHERE datatype_site_id = 0")))
                Die("cannot stamp rupdate: " + stamp.lastError().text().toStdString());
        }
        window.Pager().Tick();
        app->processEvents();
        if (window.Caption().find("failed") != std::string::npos) ++failures;
        double rss = RssMb();
        peak = std::max(peak, rss);
        if (turn == std::min(kWarmTurns, turns)) warm = rss;
    }
    double end = RssMb();
    std::printf("result: %d %d %lld %.1f %.1f %.1f %.1f %d\n", turns, window.Pager().ReloadCount(),
                static_cast<long long>(clock.elapsed()), start, warm, peak, end, failures);
    return failures == 0 ? 0 : 1;
}

std::string RunChild(const std::vector<std::string>& args) {
    std::string command = "'/proc/" + std::to_string(::getpid()) + "/exe'";
    for (const auto& a : args) command += " '" + a + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) Die("cannot start " + command);
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (::pclose(pipe) != 0) Die(command + " failed: " + out);
    // A headless window prints its caption; the figures are on the line of their own.
    size_t at = out.rfind("result: ");
    if (at == std::string::npos) Die(command + " gave no result: " + out);
    return out.substr(at + 8);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "--child-load") return RunLoad(argc, argv, args[1], args[2]);
    if (args.size() == 4 && args[0] == "--child-soak") return RunSoak(argc, argv, args[1], args[2], std::stoi(args[3]));

    int turns = 10000;
    std::vector<int> pageCounts = {300, 1000};
    std::string root = (fs::temp_directory_path() / "tidemark-bench-soak").string();
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--turns") {
            turns = std::stoi(args[i + 1]);
        } else if (args[i] == "--folder") {
            root = args[i + 1];
        } else if (args[i] == "--pages") {
            pageCounts.clear();
            std::stringstream list(args[i + 1]);
            for (std::string n; std::getline(list, n, ',');) pageCounts.push_back(std::stoi(n));
        } else {
            Die("usage: bench_soak [--turns N] [--pages N,N,...] [--folder DIR]");
        }
    }
    fs::create_directories(root);
    std::string demo = root + "/demo/Tidemark/";
    std::string command =
        std::string("'") + TIDEMARK_DEMO_EXE + "' '" + root + "/demo/Tidemark' --now '" + kNow + "' >/dev/null";
    if (std::system(command.c_str()) != 0) Die("tidemark-demo failed");

    struct Load {
        int pages;
        double ms, before, after;
    };
    std::vector<Load> loads;
    for (int n : pageCounts) {
        std::string folder = ManyPagesFolder(demo, root, n);
        std::istringstream out(RunChild({"--child-load", folder, root, "0"}));
        Load l{};
        long long ms = 0;
        out >> l.pages >> ms >> l.before >> l.after;
        l.ms = static_cast<double>(ms);
        loads.push_back(l);
        std::printf(
            "load of %5d one-graph pages  %8.1f s  %7.1f MB resident (%.1f MB before)  %.2f ms, %.3f MB a page\n",
            l.pages, l.ms / 1000, l.after, l.before, l.ms / l.pages, (l.after - l.before) / l.pages);
        std::fflush(stdout);
    }
    if (loads.size() >= 2) {
        const Load& a = loads[loads.size() - 2];
        const Load& b = loads.back();
        double pages = b.pages - a.pages;
        std::printf("each page more (%d -> %d)     %.2f ms, %.3f MB\n", a.pages, b.pages, (b.ms - a.ms) / pages,
                    (b.after - a.after) / pages);
    }
    if (turns > 0) {
        std::string folder = SoakFolder(demo, root);
        std::istringstream out(RunChild({"--child-soak", folder, root, std::to_string(turns)}));
        int done = 0, reloads = 0, failures = 0;
        long long ms = 0;
        double start = 0, warm = 0, peak = 0, end = 0;
        out >> done >> reloads >> ms >> start >> warm >> peak >> end >> failures;
        std::printf("soak: %d page turns, %d reloads, %.1f s\n", done, reloads, static_cast<double>(ms) / 1000);
        std::printf("resident memory: start %.1f MB, at turn %d %.1f MB, peak %.1f MB, end %.1f MB\n", start,
                    std::min(kWarmTurns, done), warm, peak, end);
        std::printf("growth over the last %d turns: %+.2f %%\n", std::max(done - kWarmTurns, 0),
                    warm > 0 ? (end - warm) * 100 / warm : 0.0);
    }
    return 0;
}
