// tidemark-demo: writes a complete program folder (database, setup file, frequency
// table, station notes page and the companion logger's alert report) with synthetic
// but realistic data, the same for the same seed and "now".
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "core/textfile.h"
#include "demo_data.h"
#include "demo_database.h"
#include "demo_site_html.h"
#include "report_files.h"
#include "setup_text.h"
#include "text_files.h"

namespace fs = std::filesystem;
using namespace tidemark::demo;

namespace {

constexpr uint64_t kDefaultSeed = 1;

const char* const kUsage =
    "Usage: tidemark-demo DIR [--now \"YYYY-MM-DD HH:MM\"] [--seed N]\n"
    "\n"
    "Writes a demo program folder into DIR (created when missing): the SQLite database\n"
    "tidemark_demo.sqlite, Tidemark_setup.txt, Tidemark_Frequency.txt, the web screens'\n"
    "station_notes.html, river_report.pdf and latest_readings.xlsx, and\n"
    "DIR/../Streamkeep/Streamkeep_Alert.txt.\n"
    "\n"
    "  --now \"YYYY-MM-DD HH:MM\"  the demo's present (default: local time now); it is\n"
    "                           rounded down to 5 minutes\n"
    "  --seed N                 weather seed (default 1); the same seed and now give the\n"
    "                           same folder\n"
    "  --help                   this text\n";

struct Options {
    std::string folder;
    Minutes now = 0;
    uint64_t seed = kDefaultSeed;
};

std::optional<uint64_t> ParseSeed(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

// Returns the exit status to end with, or nothing to go on.
std::optional<int> ParseArguments(int argc, char** argv, Options& o) {
    bool nowGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInlineValue = true;
            }
        }
        auto takeValue = [&]() -> bool {
            if (hasInlineValue) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--now") {
            if (!takeValue()) {
                std::cerr << "tidemark-demo: --now needs a date and time \"YYYY-MM-DD HH:MM\"\n";
                return 2;
            }
            auto now = ParseNowText(value);
            if (!now) {
                std::cerr << "tidemark-demo: --now \"" << value << "\" is not a date and time \"YYYY-MM-DD HH:MM\"\n";
                return 2;
            }
            o.now = RoundDownToStep(*now);
            nowGiven = true;
        } else if (arg == "--seed") {
            auto seed = takeValue() ? ParseSeed(value) : std::nullopt;
            if (!seed) {
                std::cerr << "tidemark-demo: --seed needs a whole number from 0 up\n";
                return 2;
            }
            o.seed = *seed;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "tidemark-demo: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else if (o.folder.empty()) {
            o.folder = arg;
        } else {
            std::cerr << "tidemark-demo: only one folder may be given (" << o.folder << ", " << arg << ")\n";
            return 2;
        }
    }
    if (o.folder.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    if (!nowGiven) o.now = LocalNowRoundedDown();
    return std::nullopt;
}

bool WriteText(const fs::path& path, const std::string& text) {
    if (tidemark::Result<void> written = tidemark::WriteFileAtomic(path.string(), text); !written) {
        std::cerr << "tidemark-demo: " << written.error() << "\n";
        return false;
    }
    return true;
}

bool MakeFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        std::cerr << "tidemark-demo: cannot create the folder " << folder.string() << ": "
                  << (ec ? ec.message() : "a file of that name is in the way") << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (auto exit = ParseArguments(argc, argv, o)) return *exit;

    auto started = std::chrono::steady_clock::now();
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(o.folder), ec).lexically_normal();
    if (ec) {
        std::cerr << "tidemark-demo: " << o.folder << ": " << ec.message() << "\n";
        return 1;
    }
    if (folder.has_filename() == false) folder = folder.parent_path();  // drop a trailing "/"
    fs::path streamkeep = folder.parent_path() / "Streamkeep";
    if (!MakeFolder(folder) || !MakeFolder(streamkeep)) return 1;

    DemoData data = BuildDemoData(o.now, o.seed);

    DatabaseCounts counts;
    std::string error;
    if (!WriteDemoDatabase(data, (folder / kDemoDatabaseFileName).string(), &counts, &error)) {
        std::cerr << "tidemark-demo: " << error << "\n";
        return 1;
    }
    fs::path notes = folder / kStationNotesFileName;
    fs::path report = folder / kReportPdfFileName;
    fs::path workbook = folder / kReadingsWorkbookFileName;
    if (!WriteText(folder / kFrequencyFileName, FrequencyFileText()) || !WriteText(notes, StationNotesHtml(data)) ||
        !WriteText(report, ReportPdf(data)) || !WriteText(workbook, ReadingsWorkbook(data)) ||
        !WriteText(folder / "Tidemark_setup.txt",
                   DemoSetupText({kStationNotesFileName, kReportPdfFileName, kReadingsWorkbookFileName})) ||
        !WriteText(streamkeep / kAlertFileName, AlertReportText(data)) ||
        !WriteText(folder / "Tidemark_site.html", kDemoSiteHtml))
        return 1;

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Demo folder %s written for %s (seed %llu) in %.2f s:\n", folder.string().c_str(),
                ShortDateTimeText(o.now).c_str(), static_cast<unsigned long long>(o.seed), seconds);
    std::printf("  %zu series; %lld unit, %lld hourly, %lld daily, %lld daily max/min and %lld model rows\n",
                DemoSeries().size(), counts.unitRows, counts.hourRows, counts.dayRows, counts.extremeRows,
                counts.modelRows);
    return 0;
}
