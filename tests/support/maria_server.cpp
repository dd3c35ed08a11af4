#include "support/maria_server.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "support/loopback.h"
#include "support/run_program.h"
#include "support/sqlite_fixture.h"

namespace tidemark::testsupport {

namespace {

std::string FirstExecutable(std::initializer_list<const char*> paths) {
    for (const char* p : paths)
        if (access(p, X_OK) == 0) return p;
    return {};
}

// The folder of the SQL that creates the server's own tables (mysql_system_tables.sql).
std::string SystemTablesFolder() {
    for (const char* folder : {"/usr/share/mariadb", "/usr/share/mysql"})
        if (access((std::string(folder) + "/mysql_system_tables.sql").c_str(), R_OK) == 0) return folder;
    return {};
}

// Only what a test needs: a small InnoDB, no binary log, no waiting for the disk.
// Bootstrapping and starting take about a second on an idle machine.
const char* const kLeanServer[] = {
    "--skip-name-resolve",
    "--skip-log-bin",
    "--innodb-buffer-pool-size=16M",
    "--innodb-log-file-size=4M",
    "--innodb-data-file-path=ibdata1:4M:autoextend",
    "--innodb-doublewrite=0",
    "--innodb-flush-log-at-trx-commit=0",
    "--innodb-use-native-aio=0",
    "--character-set-server=utf8mb4",
    "--collation-server=utf8mb4_general_ci",
};

}  // namespace

MariaServer::MariaServer() = default;

MariaServer::~MariaServer() { Stop(); }

std::string MariaServer::OdbcConnectionString() const {
    return "Driver={MariaDB Unicode};Server=" + Host() + ";Port=" + std::to_string(port_) + ";Database=" + Database() +
           ";Uid=" + User() + ";Pwd=" + Password() + ";";
}

std::vector<std::string> MariaServer::ServerOptions() const {
    // --no-defaults first: a server of the system's /etc/mysql settings is not read.
    std::vector<std::string> options = {"--no-defaults", "--datadir=" + folder_->File("data")};
    // mariadbd refuses to run as root unless told to.
    if (geteuid() == 0) options.push_back("--user=root");
    options.insert(options.end(), std::begin(kLeanServer), std::end(kLeanServer));
    return options;
}

bool MariaServer::Bootstrap(std::string* error) {
    std::string tables = SystemTablesFolder();
    if (tables.empty()) {
        if (error)
            *error = "No mysql_system_tables.sql in /usr/share/mariadb or /usr/share/mysql (package mariadb-server)";
        return false;
    }
    // What mariadb-install-db feeds the server, less the help tables and the sys schema
    // that it spends most of its time on. Root gets a plain (empty) password, so the
    // harness can log in over the socket whoever runs the tests.
    std::string sql = "CREATE DATABASE IF NOT EXISTS mysql;\nUSE mysql;\nSET @auth_root_socket=NULL;\n";
    for (const char* name : {"mysql_system_tables.sql", "mysql_system_tables_data.sql"}) {
        std::string part = ReadWholeFile(tables + "/" + name);
        if (part.empty()) {
            if (error) *error = "Cannot read " + tables + "/" + name;
            return false;
        }
        sql += part + "\n";
    }
    std::error_code ec;
    if (!std::filesystem::create_directory(folder_->File("data"), ec)) {
        if (error) *error = "Cannot make " + folder_->File("data") + ": " + ec.message();
        return false;
    }
    if (!folder_->Write("bootstrap.sql", sql, error)) return false;
    std::vector<std::string> argv = {
        "/bin/sh", "-c", "f=$1; shift; exec \"$@\" < \"$f\"", "sh", folder_->File("bootstrap.sql"), serverPath_};
    std::vector<std::string> options = ServerOptions();
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"--bootstrap", "--log-warnings=0", "--enforce-storage-engine="});
    ProgramResult result = RunProgram(argv, folder_->File("bootstrap.out"), 120);
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed (exit " + std::to_string(result.exitCode) + "):\n" + result.output;
    return false;
}

bool MariaServer::Client(const std::string& database, const std::string& sqlFile, std::string* error) {
    std::vector<std::string> argv = {clientPath_,
                                     "--no-defaults",
                                     "--socket=" + folder_->File("server.sock"),
                                     "--user=root",
                                     "--default-character-set=utf8mb4",
                                     "--batch",
                                     "--execute=source " + sqlFile};
    if (!database.empty()) argv.push_back(database);
    ProgramResult result = RunProgram(argv, sqlFile + ".out", 60);
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed (exit " + std::to_string(result.exitCode) + "):\n" + result.output;
    return false;
}

bool MariaServer::Start(std::string* error) {
    if (server_.Running()) return true;
    serverPath_ = FirstExecutable({"/usr/sbin/mariadbd", "/usr/libexec/mariadbd", "/usr/bin/mariadbd"});
    clientPath_ = FirstExecutable({"/usr/bin/mariadb"});
    if (serverPath_.empty() || clientPath_.empty()) {
        if (error) *error = "No mariadbd or mariadb client (packages mariadb-server and mariadb-client)";
        return false;
    }
    folder_ = std::make_unique<TempFolder>("tidemark-maria");
    if (!folder_->ok()) {
        if (error) *error = folder_->error();
        return false;
    }
    if (!Bootstrap(error)) return false;

    // A port found free can be taken before the server binds it; try a few. setpriv
    // has the kernel kill the server when the test process ends in any way: KILL, as
    // mariadbd outlived a TERM sent that way, and its data is of no use afterwards.
    std::string log = folder_->File("server.log");
    std::string lastError;
    for (int attempt = 0; attempt < 3 && !server_.Running(); ++attempt) {
        port_ = FreeLoopbackPort();
        if (port_ == 0) continue;
        std::vector<std::string> argv = {"setpriv", "--pdeathsig", "KILL", "--", serverPath_};
        std::vector<std::string> options = ServerOptions();
        argv.insert(argv.end(), options.begin(), options.end());
        argv.insert(argv.end(),
                    {"--bind-address=127.0.0.1", "--port=" + std::to_string(port_),
                     "--socket=" + folder_->File("server.sock"), "--pid-file=" + folder_->File("server.pid")});
        if (!server_.Start(argv, log, &lastError)) break;
        if (WaitForText(log, "ready for connections", server_, std::chrono::seconds(60))) break;
        server_.Stop();
        lastError = CommandLine(argv) + " did not get ready:\n" + ReadWholeFile(log);
    }
    if (!server_.Running()) {
        if (error) *error = lastError;
        return false;
    }

    std::string schema = ReadSchemaFile("schema_mariadb.sql", error);
    if (schema.empty()) return false;
    // The user reaches the server over TCP from 127.0.0.1 only, with the password.
    const std::string account = "'" + User() + "'@'127.0.0.1'";
    return folder_->Write("setup.sql",
                          "CREATE DATABASE " + Database() + " CHARACTER SET utf8mb4;\n" + "CREATE USER " + account +
                              " IDENTIFIED BY '" + Password() + "';\n" + "GRANT ALL ON " + Database() + ".* TO " +
                              account + ";\n",
                          error) &&
           Client("", folder_->File("setup.sql"), error) && folder_->Write("schema.sql", schema, error) &&
           Client(Database(), folder_->File("schema.sql"), error);
}

void MariaServer::Stop() {
    server_.Stop();
    folder_.reset();
}

bool MariaServer::Exec(const std::string& sql, std::string* error) {
    if (!server_.Running()) {
        if (error) *error = "The MariaDB test server is not running";
        return false;
    }
    std::string name = "exec-" + std::to_string(++execCount_) + ".sql";
    return folder_->Write(name, sql, error) && Client(Database(), folder_->File(name), error);
}

MariaServer* MariaServer::Shared(std::string* error) {
    static std::unique_ptr<MariaServer> server;
    static std::string startError;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto candidate = std::make_unique<MariaServer>();
        if (candidate->Start(&startError)) server = std::move(candidate);
    }
    if (!server && error) *error = startError;
    return server.get();
}

}  // namespace tidemark::testsupport
