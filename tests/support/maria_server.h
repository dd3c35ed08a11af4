#pragma once
// A private MariaDB server for tests: mariadbd bootstrapped into a temporary folder,
// listening on a free loopback port and on its own socket there, with the database
// "hdb" built from db/schema_mariadb.sql and a user with a password who owns it. It
// never touches a server of the system. When the tests run as root the server runs as
// root too (--user=root), which it otherwise refuses.
//
// The program reaches it through the MariaDB ODBC driver over TCP, with the password;
// the harness fills tables as the server's root over the socket. The server is told
// to end when the test process does, so a test that crashes leaves no server behind.
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tidemark::testsupport {

class MariaServer {
public:
    MariaServer();
    ~MariaServer();  // stops the server and removes its folder
    MariaServer(const MariaServer&) = delete;
    MariaServer& operator=(const MariaServer&) = delete;

    // Bootstraps the data folder, starts the server, creates the user and the database
    // with the schema's tables. False with a message (the tools' output) on failure.
    bool Start(std::string* error);
    void Stop();
    bool IsRunning() { return server_.Running(); }

    std::string Host() const { return "127.0.0.1"; }
    int Port() const { return port_; }
    std::string Database() const { return "hdb"; }
    std::string User() const { return "tidemark"; }
    std::string Password() const { return "tidemark-test-pw"; }
    // Driver={MariaDB Unicode};Server=127.0.0.1;Port=P;Database=hdb;Uid=tidemark;Pwd=...;
    // ending in ";" as users write it in the setup file.
    std::string OdbcConnectionString() const;

    // Runs an SQL script in the database as the server's root (for filling tables).
    bool Exec(const std::string& sql, std::string* error = nullptr);

    // One server for the whole test program, started on first use and stopped at exit.
    // Null, with the reason in *error, when it cannot be started.
    static MariaServer* Shared(std::string* error);

private:
    std::vector<std::string> ServerOptions() const;
    bool Bootstrap(std::string* error);
    bool Client(const std::string& database, const std::string& sqlFile, std::string* error);

    std::unique_ptr<TempFolder> folder_;
    std::string serverPath_;
    std::string clientPath_;
    ChildProcess server_;
    int port_ = 0;
    int execCount_ = 0;
};

}  // namespace tidemark::testsupport
