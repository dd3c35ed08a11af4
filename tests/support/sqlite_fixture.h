#pragma once
// SQLite database files for tests: the project's schema (db/schema.sql) plus whatever
// rows a test needs, in a temporary program folder.
#include <string>

#include "support/temp_folder.h"

namespace tidemark::testsupport {

// Text of a file in the project's db/ folder ("schema.sql", "schema_postgresql.sql").
std::string ReadSchemaFile(const std::string& name, std::string* error = nullptr);

// Runs an SQL script (any number of statements) on the file, creating it if missing.
bool ExecSqliteScript(const std::string& path, const std::string& sql, std::string* error = nullptr);

// Creates the file from db/schema.sql followed by extraSql.
bool CreateSqliteDatabase(const std::string& path, const std::string& extraSql, std::string* error = nullptr);

class SqliteFixture {
public:
    explicit SqliteFixture(const std::string& extraSql = "", const std::string& fileName = "tidemark.db");

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    const std::string& Folder() const { return folder_.Path(); }  // ends with "/"
    const std::string& Path() const { return path_; }
    // Provider=SQLite;Data Source=<absolute path>
    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }

    // Writes to the file directly (the program itself only reads).
    bool Exec(const std::string& sql, std::string* error = nullptr) const {
        return ExecSqliteScript(path_, sql, error);
    }

private:
    TempFolder folder_;
    std::string path_;
    std::string error_;
};

}  // namespace tidemark::testsupport
