#pragma once
// Shared by the demo tests: running the generator and reading what it wrote.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/textfile.h"
#include "support/run_program.h"

namespace demo_test {

namespace fs = std::filesystem;

// The demo's present in every test: early on the 1st of March of a leap year, so the
// 60 days cross month ends and 29 February, and today's 06:00 model run exists.
inline const char* const kNow = "2024-03-01 07:25";
inline const char* const kNowStored = "2024-03-01 07:25:00";

inline fs::path MakeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "tm_demo_XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    return fs::path(name.data());
}

struct RunResult {
    int status = -1;
    std::string err;  // what the generator printed (standard output and error)
};

// Runs the generator with the given arguments, without a shell in between.
inline RunResult RunDemo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{TIDEMARK_DEMO_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    fs::path log = fs::temp_directory_path() / ("tm_demo_log_" + std::to_string(::getpid()));
    tidemark::testsupport::ProgramResult r = tidemark::testsupport::RunProgram(argv, log.string());
    fs::remove(log);
    return RunResult{r.exitCode, r.output};
}

// Read-only access to a generated database.
class Db {
public:
    explicit Db(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
    }
    ~Db() { sqlite3_close(db_); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    using Rows = std::vector<std::vector<std::string>>;
    Rows Query(const std::string& sql) const {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("bad query: ") + sql + ": " + sqlite3_errmsg(db_));
        Rows rows;
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                row.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        return rows;
    }
    std::string Scalar(const std::string& sql) const {
        Rows r = Query(sql);
        return r.empty() || r[0].empty() ? std::string() : r[0][0];
    }
    double Number(const std::string& sql) const { return std::stod(Scalar(sql)); }

private:
    sqlite3* db_ = nullptr;
};

// A generated folder shared by the tests of one suite: <temp>/prog, with the companion
// folder <temp>/Streamkeep beside it.
struct GeneratedFolder {
    fs::path root, program;
    RunResult run;
    explicit GeneratedFolder(const std::vector<std::string>& extra = {"--seed", "7"}) {
        root = MakeTempFolder();
        program = root / "prog";
        std::vector<std::string> args = {program.string(), "--now", kNow};
        args.insert(args.end(), extra.begin(), extra.end());
        run = RunDemo(args);
    }
    ~GeneratedFolder() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string Database() const { return (program / "tidemark_demo.sqlite").string(); }
    std::string Text(const std::string& name) const {
        return tidemark::ReadFileBytes((program / name).string()).value_or("");
    }
};

}  // namespace demo_test
