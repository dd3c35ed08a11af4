// tidemark-load: loads logger and agency files into the database the program folder's
// setup names, fills the hourly and daily tables and stamps the update time.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "load/load_store.h"
#include "load/loader.h"
#include "load/local_time.h"
#include "load/watch.h"

namespace {

using namespace tidemark;
using namespace tidemark::load;

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: tidemark-load [--folder DIR] [--tz ZONE] [--total] [--parameter NAME] [--unit UNIT] FILE...\n"
    "       tidemark-load [--folder DIR] [options] --watch DIR\n"
    "Loads time series into the database the program folder's Tidemark_setup.txt names\n"
    "(line 7: an SQLite file, made if it does not exist, or a PostgreSQL database), computes\n"
    "the hourly and daily tables of every day a file changes, and sets the update stamp so a\n"
    "running display reloads.\n"
    "\n"
    "Files: CSV with a header, long form (site,date_time,value[,parameter][,unit]) or wide form\n"
    "(date_time,<series>,...), separated by commas, semicolons or tabs; USGS RDB files of\n"
    "instantaneous or daily values. Each file is loaded in one transaction, or not at all.\n"
    "\n"
    "  --folder DIR      the program folder (default: the current directory)\n"
    "  --tz ZONE         store times in this zone (e.g. America/New_York, UTC) instead of\n"
    "                    the machine's local time\n"
    "  --total           the files' series are totals (rain): hourly and daily sums\n"
    "  --parameter NAME  parameter of series the file does not give one for\n"
    "  --unit UNIT       unit of series the file does not give one for\n"
    "  --watch DIR       load every file that appears in DIR, then move it to DIR/loaded/\n"
    "                    or DIR/failed/ (with the reason beside it); runs until stopped\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 every file loaded, 1 a file refused or the database unusable, 2 a command\n"
    "line that could not be understood. See tidemark-load(1).\n";

struct CommandLine {
    std::string folder;
    std::string zone;
    std::string watch;
    LoadOptions options;
    std::vector<std::string> files;
};

std::atomic<bool> gStop{false};

void OnStopSignal(int) { gStop.store(true); }

// Nothing when the arguments cannot be understood (the reason is printed).
std::optional<CommandLine> ParseArguments(int argc, char** argv, bool& done) {
    CommandLine c;
    done = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                std::cerr << "tidemark-load: " << a << " needs a value\n";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            done = true;
            return c;
        }
        if (a == "--version") {
            std::cout << "tidemark-load " << TIDEMARK_VERSION << "\n";
            done = true;
            return c;
        }
        bool ok = true;
        if (a == "--folder")
            ok = value(c.folder);
        else if (a == "--tz")
            ok = value(c.zone);
        else if (a == "--watch")
            ok = value(c.watch);
        else if (a == "--parameter")
            ok = value(c.options.defaults.parameter);
        else if (a == "--unit")
            ok = value(c.options.defaults.unit);
        else if (a == "--total")
            c.options.total = true;
        else if (a == "--") {
            for (++i; i < argc; ++i) c.files.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "tidemark-load: unknown option " << a << "\n";
            ok = false;
        } else {
            c.files.push_back(a);
        }
        if (!ok) return std::nullopt;
    }
    if (c.files.empty() == c.watch.empty()) {
        std::cerr << "tidemark-load: give the files to load, or --watch DIR (not both)\n" << kUsage;
        return std::nullopt;
    }
    return c;
}

std::string ProgramFolder(const std::string& given) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(given.empty() ? "." : given, ec);
    std::string s = p.lexically_normal().string();
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

Seconds WallClockNow(ZoneClock& clock) {
    std::time_t now = std::time(nullptr);
    // Unix time as UTC wall-clock seconds since the program's day zero.
    return clock.LocalOf(static_cast<Seconds>(now) + 25569LL * 86400, 0);
}

std::string Described(const Fault& fault, const std::string& path) {
    std::string line = FaultLine(fault);
    return fault.file == path ? line : path + ": " + line;
}

// Loads one file on a session opened for it; prints what happened.
Result<void> LoadOne(const CommandLine& c, const std::string& folder, ZoneClock& clock, const std::string& path) {
    Result<std::unique_ptr<LoadStore>> store = OpenStore(folder);
    if (!store) return Fault{Described(store.fault(), path)};
    Result<FileReport> report = LoadFile(*store.value(), clock, path, c.options, WallClockNow(clock));
    const std::string createdFile = store.value()->CreatedFile();
    if (!createdFile.empty() && report) std::cout << "made a new database: " << createdFile << "\n";
    if (!report) {
        store.value().reset();
        // A database made for this file goes with it, so a refused first file leaves
        // the folder as it was.
        if (!createdFile.empty()) std::remove(createdFile.c_str());
        return Fault{Described(report.fault(), path)};
    }
    for (const std::string& line : ReportLines(report.value())) std::cout << line << "\n";
    std::cout.flush();
    return {};
}

// A loader killed within a file leaves the SQLite file's journal behind, and a display's
// read-only session cannot put it back: until a writer opens the file the display cannot
// read it. A watch started again by its service does that at once instead of waiting for
// the next file.
void RollBackInterruptedLoad(const std::string& folder) {
    Result<std::unique_ptr<LoadStore>> store = OpenStore(folder);
    if (!store) return;  // said again, with the file, when a file comes
    const std::string created = store.value()->CreatedFile();
    if (created.empty()) {
        (void)store.value()->Catalogue();  // reading rolls back what was left
        return;
    }
    store.value().reset();
    std::remove(created.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    bool done = false;
    std::optional<CommandLine> c = ParseArguments(argc, argv, done);
    if (!c) return kExitUsage;
    if (done) return 0;
    Result<ZoneClock> clock = ZoneClock::Make(c->zone);
    if (!clock) {
        std::cerr << "tidemark-load: " << clock.error() << "\n";
        return kExitUsage;
    }
    const std::string folder = ProgramFolder(c->folder);
    if (!c->watch.empty()) {
        RollBackInterruptedLoad(folder);
        std::signal(SIGTERM, OnStopSignal);
        std::signal(SIGINT, OnStopSignal);
        WatchHooks hooks;
        hooks.load = [&](const std::string& path) -> Result<void> {
            Result<void> r = LoadOne(*c, folder, clock.value(), path);
            if (!r) std::cout << "tidemark-load: " << r.error() << "\n" << std::flush;
            return r;
        };
        hooks.say = [](const std::string& line) { std::cout << "tidemark-load: " << line << "\n" << std::flush; };
        Result<void> watched = WatchFolder(c->watch, hooks, gStop);
        if (!watched) {
            std::cerr << "tidemark-load: " << FaultLine(watched.fault()) << "\n";
            return kExitFault;
        }
        return 0;
    }
    int status = 0;
    for (const std::string& path : c->files) {
        Result<void> r = LoadOne(*c, folder, clock.value(), path);
        if (!r) {
            std::cerr << "tidemark-load: " << r.error() << "\n";
            status = kExitFault;
        }
    }
    return status;
}
