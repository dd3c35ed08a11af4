// One page of 12 graphs, each 31 days of 5-minute unit values (8,928 rows a graph,
// 107,136 in all) plus their daily values, fetched as the loader fetches them:
//   program on PostgreSQL  a connection opened and every graph's series read into the
//                          store, from a private server on loopback
//   psql \copy             psql started, connected, and copying the rows of the same
//                          statements to /dev/null: the whole process, as the engine
//                          serves them at best to a client
//   program on SQLite      the same rows in a SQLite file, read the same way
// and the whole program on a folder of that page, as a process
// (`tidemark --folder F --render-pages OUT`: start, load, draw, write the PNG), once
// with the folder's setup naming the server and once naming the SQLite file.
// Then the whole program on folders of 1 and 10 such pages with the server near and 20 ms
// away (a proxy on loopback holding each chunk 10 ms each way, delay_proxy.py; the near
// server through the same proxy without delay): what the distance adds, in round trips,
// (far - near) / 20 ms, and as the client's turns the proxy counts.
// Each pair runs interleaved (one of each per round), so that a busy machine weighs on
// all of them alike. Prints each median with min and max, and the ratios of medians.
//
//   bench_postgres [ROUNDS] [--far-only]     (default 15; the folders at least 25)
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/daynum.h"
#include "data/connection_rules.h"
#include "data/database_access.h"
#include "data/getvalues.h"
#include "data/series_statements.h"
#include "storage/db/dialect.h"
#include "support/child_process.h"
#include "support/pg_server.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

using namespace tidemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kGraphs = 12;
constexpr int kSpan = 31;
constexpr int kRowsPerDay = 288;
const double kStart = DateSerial(2020, 3, 1);
const double kEnd = kStart + kSpan;

[[noreturn]] void Die(const std::string& why) {
    std::fprintf(stderr, "bench_postgres: %s\n", why.c_str());
    std::exit(1);
}

// The rows, written by the engine itself so both hold exactly the same values. Then
// vacuumed, as the tables of a database in service are: otherwise the server's own
// vacuum of so many new rows would start in the middle of the rounds and take a core.
const char kFillSql[] =
    "insert into runit select g, timestamp '2020-03-01' + k * interval '5 minutes', 10 + g + (k % 97) * 0.01 "
    "from generate_series(1, 12) g, generate_series(0, 31 * 288 - 1) k;\n"
    "insert into rday select g, timestamp '2020-03-01' + d * interval '1 day', 10 + g + d * 0.1 "
    "from generate_series(1, 12) g, generate_series(0, 30) d;\n"
    "vacuum analyze runit, rday;\n";

void FillSqlite(const std::string& file) {
    std::ifstream in(TIDEMARK_SQLITE_SCHEMA_FILE);
    std::stringstream schema;
    schema << in.rdbuf();
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) Die("cannot create " + file);
    std::string sql = schema.str() +
                      "begin;"
                      "with recursive k(n) as (select 0 union all select n + 1 from k where n < 31 * 288 - 1),"
                      " g(n) as (select 1 union all select n + 1 from g where n < 12)"
                      " insert into runit select g.n, strftime('%Y-%m-%d %H:%M:%S', '2020-03-01', (k.n * 5) || "
                      "' minutes'), 10 + g.n + (k.n % 97) * 0.01 from g, k;"
                      "with recursive d(n) as (select 0 union all select n + 1 from d where n < 30),"
                      " g(n) as (select 1 union all select n + 1 from g where n < 12)"
                      " insert into rday select g.n, strftime('%Y-%m-%d %H:%M:%S', '2020-03-01', d.n || ' days'), "
                      "10 + g.n + d.n * 0.1 from g, d;"
                      "commit;";
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) Die(error ? error : "SQLite error");
    sqlite3_close(db);
}

ProgramState PageState(const std::string& folder, const std::string& connectionString) {
    ProgramState state;
    state.programFolder = folder;
    state.settings.plotunitvalues = true;
    state.settings.connectionstring = connectionString;
    ApplyConnectionRules(state.settings, folder);
    SizePageSet(state.pages, 1);
    for (int g = 0; g < kGraphs; ++g) {
        GraphDef& graph = state.pages.Graph(1, g);
        graph.page = 1;
        graph.slot = static_cast<int16_t>(g);
        graph.dsid = static_cast<int16_t>(g + 1);
        graph.parametername = "Stage";
    }
    state.window = {kStart, kEnd, kSpan, 0};
    state.store.SizeForWindow(state.pages.tableroom, kSpan, true, false);
    return state;
}

// The loader's fetch of the page: one connection, every graph.
double FetchPage(ProgramState& state) {
    RecordingHost host(kEnd);
    Clock::time_point begin = Clock::now();
    Result<std::unique_ptr<Database>> db = OpenDatabase(state.settings, state.programFolder);
    if (!db) Die(db.error());
    for (int g = 0; g < kGraphs; ++g) {
        Result<void> fetched = FetchSeries(state, host, *db.value(), 1, g);
        if (!fetched) Die(fetched.error());
    }
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    if (state.store.At(1, 0).pointCount != kSpan * kRowsPerDay) Die("the fetch stored the wrong number of points");
    return ms;
}

// psql copying the rows of the program's own statements, as a whole process.
double PsqlCopy(const testsupport::PgServer& server, const std::string& script) {
    std::string command = "PGPASSWORD=" + server.Password() + " psql -X -q -h " + server.Host() + " -p " +
                          std::to_string(server.Port()) + " -U " + server.User() + " -d " + server.Database() + " -f " +
                          script + " >/dev/null";
    Clock::time_point begin = Clock::now();
    if (std::system(command.c_str()) != 0) Die("psql failed: " + command);
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

std::string CopyScript(const std::string& folder, const SetupSettings& settings) {
    std::string path = folder + "copy.sql";
    std::ofstream out(path);
    for (int g = 1; g <= kGraphs; ++g)
        for (const std::string& sql : {UnitValuesStatement(g, kStart, kEnd), DailyStatement(g, kStart, kEnd - 1)}) {
            std::string statement = PostgresDialect(RewriteStatement(sql, settings, false));
            while (!statement.empty() && (statement.back() == ';' || statement.back() == ' ')) statement.pop_back();
            out << "\\copy (" << statement << ") to '/dev/null'\n";
        }
    return path;
}

struct Figures {
    std::vector<double> ms;
    double Median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Min() const { return *std::min_element(ms.begin(), ms.end()); }
    double Max() const { return *std::max_element(ms.begin(), ms.end()); }
};

void Print(const char* name, const Figures& f) {
    std::printf("%-24s median %8.2f ms   min %8.2f   max %8.2f\n", name, f.Median(), f.Min(), f.Max());
}

// `target` 0: a figure for reference, with no target of its own.
void PrintRatio(const char* name, const Figures& a, const Figures& b, double target) {
    double ratio = a.Median() / b.Median();
    std::printf("%-44s %.2fx (min/min %.2fx, max/max %.2fx; ", name, ratio, a.Min() / b.Min(), a.Max() / b.Max());
    if (target > 0)
        std::printf("target at most %.1fx: %s)\n", target, ratio <= target ? "met" : "NOT met");
    else
        std::printf("for reference)\n");
}

// A program folder whose pages each show the 12 series, read through `connection`.
void WriteFolder(const std::string& folder, const std::string& connection, int pages = 1) {
    std::filesystem::create_directories(folder);
    std::ofstream setup(folder + "Tidemark_setup.txt", std::ios::binary);
    setup << "Days = 31 ; End Day +0\r\nPlot Unit Values = True\r\nInclude Daily Max/Min = False\r\n"
             "Big Current Value = False\r\nAuto Paging = False, 5\r\nFont Names & Pen Widths = Arial, Arial\r\n"
             "Database Connection String= "
          << connection
          << "\r\n\r\nStart Up= 0,0,1920,1080,0\r\nMetric Units=False\r\n\r\n"
             "Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; logyscale; "
             "backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; rank-1/cumulative2; freq "
             "type -1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3\r\n";
    for (int p = 1; p <= pages; ++p) {
        setup << " " << p << " ;Page " << p << "; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON\r\n";
        for (int g = 1; g <= kGraphs; ++g)
            setup << " " << g << " ; " << g << " ;Stage;Station " << g
                  << "; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 \r\n";
    }
    setup << "END\r\n";
}

double RenderFolder(const std::string& folder, const std::string& out) {
    std::string command = std::string("QT_QPA_PLATFORM=offscreen ") + TIDEMARK_EXE + " --folder " + folder +
                          " --render-pages " + out + " --now '2020-03-31 23:00' >/dev/null 2>&1";
    Clock::time_point begin = Clock::now();
    if (std::system(command.c_str()) != 0) Die("the render failed: " + command);
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

// The server behind the delay proxy, which holds each chunk half the round trip each
// way. The near server is reached through the same proxy with no delay, so what the
// proxy costs to pass the rows on is in both and the difference is the distance alone.
class ProxiedServer {
public:
    static constexpr double kFarRoundTripMs = 20;

    ProxiedServer(const testsupport::PgServer& server, const std::string& dir, const std::string& name,
                  double roundTripMs)
        : turnsFile_(dir + name + "_turns.txt") {
        const std::string portFile = dir + name + "_proxy.port", log = dir + name + "_proxy.log";
        std::vector<std::string> argv{"python3",       TIDEMARK_DELAY_PROXY,
                                      "--target-port", std::to_string(server.Port()),
                                      "--delay-ms",    std::to_string(roundTripMs / 2),
                                      "--port-file",   portFile,
                                      "--turns-file",  turnsFile_};
        // What each turn asks, to see where the round trips go.
        if (const char* trace = std::getenv("TIDEMARK_BENCH_PROXY_TRACE"); trace && roundTripMs > 0)
            argv.insert(argv.end(), {"--trace-file", trace});
        std::string error;
        if (!proxy_.Start(argv, log, &error)) Die("cannot start the delay proxy: " + error);
        for (int i = 0; i < 100 && !std::filesystem::exists(portFile); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(portFile);
        if (!(in >> port_)) Die("the delay proxy did not start: see " + log);
        connection_ = "Provider=PostgreSQL;Host=127.0.0.1;Port=" + std::to_string(port_) +
                      ";Database=" + server.Database() + ";User Id=" + server.User() + ";Password=" + server.Password();
    }
    const std::string& ConnectionString() const { return connection_; }

    // The client's turns on the connections closed since the last call.
    int TakeTurns() {
        int total = 0, turns = 0;
        std::string word;
        {
            std::ifstream in(turnsFile_);
            while (in >> word >> turns) total += turns;
        }
        std::filesystem::remove(turnsFile_);
        return total;
    }

private:
    testsupport::ChildProcess proxy_;
    std::string turnsFile_, connection_;
    int port_ = 0;
};

// What a far server adds to the whole program on a folder of `pages` pages, against the
// same server near: in round trips of the link, by time and by the client's turns.
void CompareFarAndNear(ProxiedServer& near, ProxiedServer& far, const std::string& dir, int pages, int rounds,
                       int target) {
    const std::string tag = std::to_string(pages) + "p";
    const std::string nearFolder = dir + "near_" + tag + "/", farFolder = dir + "far_" + tag + "/";
    WriteFolder(nearFolder, near.ConnectionString(), pages);
    WriteFolder(farFolder, far.ConnectionString(), pages);
    RenderFolder(nearFolder, dir + "out");
    RenderFolder(farFolder, dir + "out");
    far.TakeTurns();
    Figures nearMs, farMs;
    std::vector<int> turns;
    for (int i = 0; i < rounds; ++i) {
        nearMs.ms.push_back(RenderFolder(nearFolder, dir + "out"));
        farMs.ms.push_back(RenderFolder(farFolder, dir + "out"));
        turns.push_back(far.TakeTurns());
    }
    std::sort(turns.begin(), turns.end());
    std::printf(
        "%d interleaved rounds of the whole program, %d page(s), the server near and %.0f ms away "
        "(both through the proxy)\n",
        rounds, pages, ProxiedServer::kFarRoundTripMs);
    Print(("near, " + tag).c_str(), nearMs);
    Print(("far, " + tag).c_str(), farMs);
    auto trips = [](double far, double near) { return (far - near) / ProxiedServer::kFarRoundTripMs; };
    const double added = trips(farMs.Median(), nearMs.Median());
    std::printf(
        "round trips added, %d page(s): %.1f by time (min %.1f, max %.1f); %d to %d turns of the client; "
        "target at most %d: %s\n",
        pages, added, trips(farMs.Min(), nearMs.Min()), trips(farMs.Max(), nearMs.Max()), turns.front(), turns.back(),
        target, added <= target ? "met" : "NOT met");
}

void CompareEngines(const testsupport::PgServer& server, const std::string& dir, int rounds);

}  // namespace

int main(int argc, char** argv) {
    int rounds = 15;
    bool farOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--far-only")
            farOnly = true;
        else
            rounds = std::max(3, std::atoi(argv[i]));
    }
    testsupport::PgServer server;
    std::string error;
    if (!server.Start(&error)) Die("cannot start the PostgreSQL server: " + error);
    if (!server.Exec(kFillSql, &error)) Die("cannot fill the server: " + error);
    testsupport::TempFolder folder("tidemark-bench-pg");
    const std::string dir = folder.Path();
    if (!farOnly) CompareEngines(server, dir, rounds);
    ProxiedServer near(server, dir, "near", 0);
    ProxiedServer far(server, dir, "far", ProxiedServer::kFarRoundTripMs);
    CompareFarAndNear(near, far, dir, 1, std::max(rounds, 25), 6);
    CompareFarAndNear(near, far, dir, 10, std::max(5, rounds / 2), 10);
    return 0;
}

namespace {

// The program's fetch and the whole program on PostgreSQL, against psql and SQLite.
void CompareEngines(const testsupport::PgServer& server, const std::string& dir, int rounds) {
    FillSqlite(dir + "tidemark.db");

    ProgramState onPostgres = PageState(dir, server.ConnectionString());
    ProgramState onSqlite = PageState(dir, "Provider=SQLite;Data Source=tidemark.db");
    const std::string script = CopyScript(dir, onPostgres.settings);

    // One warm-up of each: the server's and the file's pages in memory.
    FetchPage(onPostgres);
    PsqlCopy(server, script);
    FetchPage(onSqlite);
    Figures pg, psql, sqlite;
    for (int i = 0; i < rounds; ++i) {
        pg.ms.push_back(FetchPage(onPostgres));
        psql.ms.push_back(PsqlCopy(server, script));
        sqlite.ms.push_back(FetchPage(onSqlite));
    }
    std::printf("%d interleaved rounds, %d rows a page\n", rounds, kGraphs * (kSpan * kRowsPerDay + kSpan));
    Print("program on PostgreSQL", pg);
    Print("psql \\copy", psql);
    Print("program on SQLite", sqlite);
    PrintRatio("program on PostgreSQL / psql \\copy:", pg, psql, 1.5);
    // The target is the whole program's, on a folder (below): the fetch alone is where
    // the two engines differ most.
    PrintRatio("program on PostgreSQL / program on SQLite:", pg, sqlite, 0);

    const std::string pgFolder = dir + "on_postgres/", sqliteFolder = dir + "on_sqlite/";
    WriteFolder(pgFolder, server.ConnectionString());
    WriteFolder(sqliteFolder, "Provider=SQLite;Data Source=tidemark.db");
    std::filesystem::copy_file(dir + "tidemark.db", sqliteFolder + "tidemark.db");
    RenderFolder(pgFolder, dir + "out");
    RenderFolder(sqliteFolder, dir + "out");
    // A whole process varies more from run to run than a fetch: more rounds.
    const int folderRounds = std::max(rounds, 25);
    Figures pgFolderMs, sqliteFolderMs;
    for (int i = 0; i < folderRounds; ++i) {
        pgFolderMs.ms.push_back(RenderFolder(pgFolder, dir + "out"));
        sqliteFolderMs.ms.push_back(RenderFolder(sqliteFolder, dir + "out"));
    }
    std::printf("%d interleaved rounds of the whole program on each folder\n", folderRounds);
    Print("folder on PostgreSQL", pgFolderMs);
    Print("folder on SQLite", sqliteFolderMs);
    PrintRatio("folder on PostgreSQL / folder on SQLite:", pgFolderMs, sqliteFolderMs, 1.3);
}

}  // namespace
