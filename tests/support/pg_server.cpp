#include "support/pg_server.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/loopback.h"
#include "support/run_program.h"
#include "support/sqlite_fixture.h"

namespace tidemark::testsupport {

namespace {

// The newest /usr/lib/postgresql/<version>/bin, or $TIDEMARK_PG_BIN.
std::string FindPostgresBin() {
    if (const char* env = std::getenv("TIDEMARK_PG_BIN"); env && *env) return env;
    std::error_code ec;
    int best = -1;
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        std::string version = entry.path().filename().string();
        int number = std::atoi(version.c_str());
        if (number > best && std::filesystem::exists(entry.path() / "bin" / "initdb", ec)) {
            best = number;
            found = (entry.path() / "bin").string();
        }
    }
    return found;
}

std::string RunuserPath() {
    for (const char* p : {"/usr/sbin/runuser", "/sbin/runuser", "/usr/bin/runuser"})
        if (access(p, X_OK) == 0) return p;
    return {};
}

}  // namespace

PgServer::PgServer() = default;

PgServer::~PgServer() { Stop(); }

std::string PgServer::ConnectionString() const {
    return "Provider=PostgreSQL;Host=" + Host() + ";Port=" + std::to_string(port_) + ";Database=" + Database() +
           ";User Id=" + User() + ";Password=" + Password();
}

bool PgServer::RunTool(const std::string& tool, const std::vector<std::string>& args, std::string* error) {
    std::vector<std::string> argv;
    if (asPostgresUser_) argv = {RunuserPath(), "-u", "postgres", "--"};
    argv.push_back(binDir_ + "/" + tool);
    argv.insert(argv.end(), args.begin(), args.end());
    ProgramResult result = RunProgram(argv, folder_->File(tool + ".out"));
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed (exit " + std::to_string(result.exitCode) + "):\n" + result.output;
    return false;
}

bool PgServer::Psql(const std::string& user, const std::string& database, const std::string& sqlFile,
                    std::string* error) {
    return RunTool("psql",
                   {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", folder_->Path(), "-p", std::to_string(port_), "-U", user,
                    "-d", database, "-f", sqlFile},
                   error);
}

bool PgServer::Start(std::string* error) {
    if (running_) return true;
    binDir_ = FindPostgresBin();
    if (binDir_.empty()) {
        if (error) *error = "No PostgreSQL server binaries in /usr/lib/postgresql/*/bin (package postgresql)";
        return false;
    }
    folder_ = std::make_unique<TempFolder>("tidemark-pg");
    if (!folder_->ok()) {
        if (error) *error = folder_->error();
        return false;
    }
    asPostgresUser_ = geteuid() == 0;
    if (asPostgresUser_) {
        passwd* pw = getpwnam("postgres");
        if (!pw || RunuserPath().empty()) {
            if (error) *error = "Running as root needs the user \"postgres\" and runuser to start PostgreSQL";
            return false;
        }
        std::string dir = folder_->Path();
        if (chown(dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
            if (error) *error = "Cannot hand " + dir + " to the postgres user";
            return false;
        }
    }
    if (!folder_->Write("superuser.pw", Password() + "\n", error)) return false;
    if (!RunTool("initdb",
                 {"-D", folder_->File("data"), "-U", "postgres", "--auth-local=trust", "--auth-host=scram-sha-256",
                  "--pwfile=" + folder_->File("superuser.pw"), "--encoding=UTF8", "--locale=C", "--no-sync"},
                 error))
        return false;

    // A port found free can be taken before the server binds it; try a few.
    std::string lastError;
    for (int attempt = 0; attempt < 3 && !running_; ++attempt) {
        port_ = FreeLoopbackPort();
        if (port_ == 0) continue;
        options_ = "-p " + std::to_string(port_) + " -k " + folder_->Path() +
                   " -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off"
                   " -c synchronous_commit=off -c log_connections=on";
        running_ = Resume(&lastError);
    }
    if (!running_) {
        if (error) *error = lastError;
        return false;
    }

    std::string schema = ReadSchemaFile("schema_postgresql.sql", error);
    if (schema.empty()) return false;
    return folder_->Write("setup.sql",
                          "CREATE ROLE " + User() + " LOGIN PASSWORD '" + Password() + "';\n" + "CREATE DATABASE " +
                              Database() + " OWNER " + User() + ";\n",
                          error) &&
           Psql("postgres", "postgres", folder_->File("setup.sql"), error) &&
           folder_->Write("schema.sql", schema, error) && Psql(User(), Database(), folder_->File("schema.sql"), error);
}

void PgServer::Stop() {
    if (running_) {
        std::string ignored;
        RunTool("pg_ctl", {"-D", folder_->File("data"), "-m", "fast", "-w", "-t", "30", "stop"}, &ignored);
        running_ = false;
    }
    folder_.reset();
}

bool PgServer::Halt(std::string* error) {
    if (!running_) return true;
    if (!RunTool("pg_ctl", {"-D", folder_->File("data"), "-m", "fast", "-w", "-t", "30", "stop"}, error)) return false;
    running_ = false;
    return true;
}

std::string PgServer::LogFile() const { return folder_->File("server.log"); }

bool PgServer::Resume(std::string* error) {
    if (running_) return true;
    running_ = RunTool(
        "pg_ctl",
        {"-D", folder_->File("data"), "-l", folder_->File("server.log"), "-w", "-t", "60", "-o", options_, "start"},
        error);
    return running_;
}

bool PgServer::Exec(const std::string& sql, std::string* error) {
    if (!running_) {
        if (error) *error = "The PostgreSQL test server is not running";
        return false;
    }
    std::string name = "exec-" + std::to_string(++execCount_) + ".sql";
    return folder_->Write(name, sql, error) && Psql(User(), Database(), folder_->File(name), error);
}

PgServer* PgServer::Shared(std::string* error) {
    static std::unique_ptr<PgServer> server;
    static std::string startError;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto candidate = std::make_unique<PgServer>();
        if (candidate->Start(&startError)) server = std::move(candidate);
    }
    if (!server && error) *error = startError;
    return server.get();
}

}  // namespace tidemark::testsupport
