// How fast files become databases: the rows per second of the in-memory copy of an .xlsx
// workbook (100,000 hourly rows), of an .xls workbook (60,000, near its sheet limit),
// of the largest real Access file (every table of nwind.mdb, and its largest table
// alone), and the reload of the demo
// folder served from an .xlsx copy, with the copy kept and with the file changed.
//
//   build/bench/files/bench_files [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/daynum.h"
#include "core/textfile.h"
#include "data/load_pages.h"
#include "storage/db/access_file.h"
#include "storage/db/database.h"
#include "storage/db/file_database.h"
#include "storage/db/sqlite_copy.h"
#include "support/recording_host.h"
#include "support/sqlite_fixture.h"
#include "support/workbook_files.h"

namespace {

using namespace tidemark;
namespace fs = std::filesystem;

const char* const kNow = "2024-03-01 07:25";
const std::string kAccessFile = std::string(TIDEMARK_SOURCE_DIR) + "/tests/data_files/access/nwind.mdb";

fs::path BenchFolder() {
    static fs::path root = [] {
        fs::path p = fs::temp_directory_path() / ("tm_bench_files_" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return root;
}

// A workbook of `rows` hourly rows of 20 series, written once per run.
std::string HourlyWorkbook(int rows, const std::string& extension) {
    std::string sqlite = (BenchFolder() / ("hourly" + std::to_string(rows) + ".sqlite")).string();
    std::string book = (BenchFolder() / ("hourly" + std::to_string(rows) + extension)).string();
    if (fs::exists(book)) return book;
    std::string sql =
        "CREATE TABLE rhour (datatype_site_id INTEGER, date_time TEXT, value REAL);"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(rows - 1) +
        ") INSERT INTO rhour SELECT 1000 + i % 20, datetime('2020-01-01', '+' || (i / 20) || ' hours'),"
        " (i % 997) * 0.125 FROM n;";
    if (!testsupport::ExecSqliteScript(sqlite, sql)) std::abort();
    if (!testsupport::WriteWorkbookFromSqlite(sqlite, book)) std::abort();
    return book;
}

// A new modification time, so the next connection copies the file again.
void Touch(const std::string& path) { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(1)); }

void CopyRows(benchmark::State& state, const std::string& path, long long rowsPerCopy) {
    std::string connection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";";
    for (auto _ : state) {
        state.PauseTiming();
        Touch(path);
        state.ResumeTiming();
        Result<std::unique_ptr<Database>> db = OpenConnection(connection, "/");
        if (!db) {
            state.SkipWithError(db.error().c_str());
            return;
        }
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(rowsPerCopy) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CopyXlsx100k(benchmark::State& state) { CopyRows(state, HourlyWorkbook(100000, ".xlsx"), 100000); }
BENCHMARK(BM_CopyXlsx100k)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_CopyXls60k(benchmark::State& state) { CopyRows(state, HourlyWorkbook(60000, ".xls"), 60000); }
BENCHMARK(BM_CopyXls60k)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_CopyMdbAllTables(benchmark::State& state) {
    std::string path = (BenchFolder() / "nwind.mdb").string();
    if (!fs::exists(path)) fs::copy_file(kAccessFile, path);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    // The rows of all its tables, counted through the copy itself.
    long long rows = 0;
    {
        auto db = OpenConnection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";", "/");
        if (!db) {
            state.SkipWithError(db.error().c_str());
            return;
        }
        for (const char* table : {"[Order Details]", "Orders", "Products", "Shippers", "Categories", "Customers",
                                  "Employees", "Suppliers", "[Ums\xE4tze]"}) {
            auto rs = db.value()->OpenRecordset(std::string("select count(*) from ") + table);
            if (rs) rows += static_cast<long long>(rs->Number(0).value());
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
    CopyRows(state, path, rows);
}
BENCHMARK(BM_CopyMdbAllTables)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The largest table of the real files alone (Order Details of nwind.mdb: 2,155 rows of
// integers, money and single-precision numbers, the kind of columns series tables
// have), opening the file included.
void BM_CopyMdbLargestTable(benchmark::State& state) {
    long long rows = 0;
    for (auto _ : state) {
        Result<SqliteCopy> copy = SqliteCopy::Create();
        if (!copy) {
            state.SkipWithError(copy.error().c_str());
            return;
        }
        Result<bool> copied = CopyAccessFile(kAccessFile, copy.value(), {"Order Details"});
        if (!copied) {
            state.SkipWithError(copied.error().c_str());
            return;
        }
        rows = copy->RowsCopied();
        benchmark::DoNotOptimize(copy->Finish());
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CopyMdbLargestTable)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The demo folder with its database moved into an .xlsx workbook.
const std::string& DemoWorkbookFolder() {
    static std::string folder = [] {
        fs::path dir = BenchFolder() / "Tidemark";
        std::string command =
            std::string("'") + TIDEMARK_DEMO_EXE + "' '" + dir.string() + "' --now '" + kNow + "' >/dev/null";
        if (std::system(command.c_str()) != 0) std::abort();
        if (!testsupport::WriteWorkbookFromSqlite((dir / "tidemark_demo.sqlite").string(),
                                                  (dir / "tidemark_demo.xlsx").string()))
            std::abort();
        fs::remove(dir / "tidemark_demo.sqlite");
        std::string setupPath = (dir / "Tidemark_setup.txt").string();
        std::vector<std::string> lines = SplitLines(ReadFileBytes(setupPath).value());
        lines[6] =
            "Database Connection String= Provider=Microsoft.Jet.OLEDB.4.0;Data Source=tidemark_demo.xlsx;"
            "Extended Properties=Excel 12.0 Xml;";
        if (!WriteFileAtomic(setupPath, JoinLinesCrLf(lines))) std::abort();
        return dir.string() + "/";
    }();
    return folder;
}

void Reload(benchmark::State& state, bool changeFile) {
    ProgramState program;
    program.programFolder = DemoWorkbookFolder();
    RecordingHost host(MakeDayNumber(2024, 3, 1, 7, 25, 0));
    LoadPagesResult first = LoadPages(program, host, LoadMode::Full);
    if (!first.ok()) {
        state.SkipWithError(first.error().c_str());
        return;
    }
    for (auto _ : state) {
        if (changeFile) {
            state.PauseTiming();
            Touch(program.programFolder + "tidemark_demo.xlsx");
            state.ResumeTiming();
        }
        LoadPagesResult out = LoadPages(program, host, LoadMode::Reload);
        if (!out.ok()) state.SkipWithError(out.error().c_str());
    }
}

void BM_ReloadDemoXlsxCopyKept(benchmark::State& state) { Reload(state, false); }
BENCHMARK(BM_ReloadDemoXlsxCopyKept)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ReloadDemoXlsxFileChanged(benchmark::State& state) { Reload(state, true); }
BENCHMARK(BM_ReloadDemoXlsxFileChanged)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
