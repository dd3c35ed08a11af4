// Fetching a page of 12 graphs, each a 31-day window of 5-minute unit values (8,928
// rows a graph, 107,136 in all) plus its daily values, from a SQLite file:
//   BM_Getvalues1        Getvalues1 for every graph on one open connection (the loader's way)
//   BM_Getvalues1Own     Getvalues1 opening its own connection per graph and re-reading
//                        the update stamp, as the graph menu's refresh does
//   BM_RawSqlite         the floor: the SQLite C API preparing and stepping through the
//                        same statements on one connection (opened with the program's
//                        flags) and reading the same columns
//   BM_RawSqliteParsed   the floor plus turning the date text into day numbers
// Prints the medians and the ratio to the floor at the end.
//
//   bench_fetch [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/daynum.h"
#include "data/connection_rules.h"
#include "data/database_access.h"
#include "data/getvalues.h"
#include "data/series_statements.h"
#include "platform/db/dialect.h"
#include "support/recording_host.h"

namespace fs = std::filesystem;
using namespace tidemark;

namespace {

constexpr int kGraphs = 12;
constexpr int kSpan = 31;
constexpr int kRowsPerDay = 288;

struct Fixture {
    fs::path folder;
    std::string file;
    double start = DateSerial(2020, 3, 1);
    double end = DateSerial(2020, 3, 1) + kSpan;
    std::vector<std::string> statements;  // per graph: unit values, daily values (engine form)
    ProgramState state;

    Fixture() {
        char pattern[] = "/tmp/tidemark-bench-fetch-XXXXXX";
        folder = mkdtemp(pattern);
        file = (folder / "tidemark.db").string();
        Build();
        for (int g = 1; g <= kGraphs; ++g) {
            statements.push_back(
                SqliteDialect(RewriteStatement(UnitValuesStatement(g, start, end), Settings(), false)));
            statements.push_back(SqliteDialect(RewriteStatement(DailyStatement(g, start, end - 1), Settings(), false)));
        }
        state.programFolder = folder.string() + "/";
        state.settings = Settings();
        SizePageSet(state.pages, 1);
        for (int g = 0; g < kGraphs; ++g) {
            GraphDef& graph = state.pages.Graph(1, g);
            graph.page = 1;
            graph.slot = static_cast<int16_t>(g);
            graph.dsid = static_cast<int16_t>(g + 1);
            graph.parametername = "Stage";
        }
        state.window = {start, end, kSpan, 0};
        state.store.SizeForWindow(state.pages.tableroom, kSpan, true, false);
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    SetupSettings Settings() const {
        SetupSettings s;
        s.plotunitvalues = true;
        s.connectionstring = "Provider=SQLite;Data Source=tidemark.db";
        ApplyConnectionRules(s, folder.string() + "/");
        return s;
    }

    void Build() {
        std::ifstream in(TIDEMARK_SCHEMA_FILE);
        std::stringstream schema;
        schema << in.rdbuf();
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        Exec(db, schema.str());
        Exec(db, "begin;");
        sqlite3_stmt* unit = nullptr;
        sqlite3_prepare_v2(db, "insert into runit values (?, ?, ?)", -1, &unit, nullptr);
        sqlite3_stmt* day = nullptr;
        sqlite3_prepare_v2(db, "insert into rday values (?, ?, ?)", -1, &day, nullptr);
        auto text = [](double t) {
            CivilTime c = ToCivil(t);
            char b[32];
            std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                          c.second);
            return std::string(b);
        };
        for (int g = 1; g <= kGraphs; ++g) {
            for (int k = 0; k < kSpan * kRowsPerDay; ++k) {
                std::string t = text(start + k * 5 / 1440.0);
                sqlite3_bind_int(unit, 1, g);
                sqlite3_bind_text(unit, 2, t.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_double(unit, 3, 10 + g + (k % 97) * 0.01);
                sqlite3_step(unit);
                sqlite3_reset(unit);
            }
            for (int d = 0; d < kSpan; ++d) {
                std::string t = text(start + d);
                sqlite3_bind_int(day, 1, g);
                sqlite3_bind_text(day, 2, t.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_double(day, 3, 10 + g + d * 0.1);
                sqlite3_step(day);
                sqlite3_reset(day);
            }
        }
        sqlite3_finalize(unit);
        sqlite3_finalize(day);
        Exec(db, "commit;");
        sqlite3_close(db);
    }

    static void Exec(sqlite3* db, const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "bench_fetch: %s\n", error ? error : "SQLite error");
            std::exit(1);
        }
    }
};

Fixture* fixture = nullptr;

void BM_Getvalues1(benchmark::State& state) {
    RecordingHost host(fixture->end);
    for (auto _ : state) {
        Result<std::unique_ptr<Database>> db = OpenDatabase(fixture->state.settings, fixture->state.programFolder);
        if (!db) {
            state.SkipWithError(db.error().c_str());
            break;
        }
        for (int g = 0; g < kGraphs; ++g) Getvalues1(fixture->state, host, *db.value(), 1, g);
    }
    if (!host.messages.empty()) state.SkipWithError(host.messages.front().c_str());
    if (fixture->state.store.At(1, 0).pointCount != kSpan * kRowsPerDay) state.SkipWithError("wrong point count");
    state.counters["rows"] = kGraphs * kSpan * kRowsPerDay;
}

void BM_Getvalues1Own(benchmark::State& state) {
    RecordingHost host(fixture->end);
    for (auto _ : state)
        for (int g = 0; g < kGraphs; ++g) Getvalues1(fixture->state, host, 1, g);
    if (!host.messages.empty()) state.SkipWithError(host.messages.front().c_str());
}

template <bool kParse>
void RawFetch(benchmark::State& state) {
    for (auto _ : state) {
        sqlite3* db = nullptr;
        // The flags of the program's own connection: without NOMUTEX every column read
        // would take the connection's lock, and the floor would not be one.
        if (sqlite3_open_v2(fixture->file.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK) {
            state.SkipWithError("cannot open");
            break;
        }
        double sum = 0;
        size_t textBytes = 0;
        for (const std::string& sql : fixture->statements) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                const unsigned char* time = sqlite3_column_text(stmt, 1);
                int bytes = sqlite3_column_bytes(stmt, 1);
                if constexpr (kParse) {
                    std::optional<double> day =
                        ParseIsoDateTime(std::string_view(reinterpret_cast<const char*>(time), bytes));
                    sum += day.value_or(0);
                } else {
                    textBytes += static_cast<size_t>(bytes) + (time ? time[0] : 0);
                }
                sum += sqlite3_column_double(stmt, 2);
            }
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(textBytes);
    }
}

void BM_RawSqlite(benchmark::State& state) { RawFetch<false>(state); }
void BM_RawSqliteParsed(benchmark::State& state) { RawFetch<true>(state); }

BENCHMARK(BM_RawSqlite)->Unit(benchmark::kMillisecond)->Repetitions(9)->MinTime(0.3);
BENCHMARK(BM_RawSqliteParsed)->Unit(benchmark::kMillisecond)->Repetitions(9)->MinTime(0.3);
BENCHMARK(BM_Getvalues1)->Unit(benchmark::kMillisecond)->Repetitions(9)->MinTime(0.3);
BENCHMARK(BM_Getvalues1Own)->Unit(benchmark::kMillisecond)->Repetitions(9)->MinTime(0.3);

class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians, cpuMedians;  // milliseconds
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuMedians[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Fixture f;
    fixture = &f;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto get = [&](const char* name) {
        auto it = reporter.medians.find(name);
        return it == reporter.medians.end() ? 0.0 : it->second;
    };
    double raw = get("BM_RawSqlite"), parsed = get("BM_RawSqliteParsed"), ours = get("BM_Getvalues1"),
           own = get("BM_Getvalues1Own");
    double rawCpu = reporter.cpuMedians["BM_RawSqlite"], oursCpu = reporter.cpuMedians["BM_Getvalues1"];
    if (raw > 0 && ours > 0) {
        std::printf(
            "\nmedians: raw SQLite %.2f ms, raw + date parsing %.2f ms, Getvalues1 %.2f ms, "
            "Getvalues1 on own connections %.2f ms\n",
            raw, parsed, ours, own);
        std::printf("Getvalues1 / raw SQLite: %.2fx wall clock, %.2fx processor (target at most 1.2x: %s)\n",
                    ours / raw, rawCpu > 0 ? oursCpu / rawCpu : 0.0, ours / raw <= 1.2 ? "met" : "NOT met");
    }
    fixture = nullptr;
    benchmark::Shutdown();
    return 0;
}
