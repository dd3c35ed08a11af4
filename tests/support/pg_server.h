#pragma once
// A private PostgreSQL server for tests: initdb and pg_ctl in a temporary folder, on a
// free loopback port, with one database built from db/schema_postgresql.sql. It never
// touches a server of the system. When the tests run as root the server runs as the
// unprivileged "postgres" user (PostgreSQL refuses to run as root).
//
// Host connections need the password (scram-sha-256); the harness itself talks to
// the server over its own socket in the temporary folder.
#include <memory>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace tidemark::testsupport {

class PgServer {
public:
    PgServer();
    ~PgServer();  // stops the server and removes its folder
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Creates the cluster, starts the server, creates the role and database owning the
    // schema's tables. False with a message (the tools' output) on failure.
    bool Start(std::string* error);
    void Stop();
    bool IsRunning() const { return running_; }
    // The server stopped and started again on the same port, its data kept (a server
    // going down under a running program and coming back).
    bool Halt(std::string* error);
    bool Resume(std::string* error);

    std::string Host() const { return "127.0.0.1"; }
    int Port() const { return port_; }
    std::string Database() const { return "tidemark"; }
    std::string User() const { return "tidemark"; }
    std::string Password() const { return "tidemark-test-pw"; }
    // Provider=PostgreSQL;Host=127.0.0.1;Port=P;Database=tidemark;User Id=tidemark;Password=...
    std::string ConnectionString() const;

    // The server's log. Each connection made is logged as "connection authorized".
    std::string LogFile() const;

    // Runs an SQL script in the database as its owner (for filling tables).
    bool Exec(const std::string& sql, std::string* error = nullptr);

    // One server for the whole test program, started on first use and stopped at exit.
    // Null, with the reason in *error, when it cannot be started.
    static PgServer* Shared(std::string* error);

private:
    bool RunTool(const std::string& tool, const std::vector<std::string>& args, std::string* error);
    bool Psql(const std::string& user, const std::string& database, const std::string& sqlFile, std::string* error);

    std::unique_ptr<TempFolder> folder_;
    std::string binDir_;
    int port_ = 0;
    std::string options_;  // of pg_ctl start
    bool running_ = false;
    bool asPostgresUser_ = false;
    int execCount_ = 0;
};

}  // namespace tidemark::testsupport
