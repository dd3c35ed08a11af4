#pragma once
// The MariaDB test server as the data layer's test backends see it: the connection
// string of the setup file (the ODBC driver's, ending in ";"), tables emptied before
// each case.
#include <string>

#include "support/maria_server.h"

namespace tidemark::mariatest {

class MariaTables {
public:
    explicit MariaTables(const char* tables) {
        server_ = testsupport::MariaServer::Shared(&error_);
        if (!server_) return;
        std::string clear;
        std::string list = tables;
        for (size_t start = 0; start < list.size();) {
            size_t end = list.find(',', start);
            if (end == std::string::npos) end = list.size();
            clear += "TRUNCATE " + list.substr(start, end - start) + ";\n";
            start = end + 1;
        }
        server_->Exec(clear, &error_);
    }
    std::string SetUpError() const { return server_ ? error_ : "MariaDB: " + error_; }
    std::string ConnectionString() const { return server_->OdbcConnectionString(); }
    bool Exec(const std::string& sql, std::string* error) { return server_->Exec(sql, error); }

private:
    testsupport::MariaServer* server_ = nullptr;
    std::string error_;
};

}  // namespace tidemark::mariatest
