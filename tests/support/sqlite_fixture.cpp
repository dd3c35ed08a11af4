#include "support/sqlite_fixture.h"

#include <sqlite3.h>

#include <fstream>
#include <sstream>

namespace tidemark::testsupport {

std::string ReadSchemaFile(const std::string& name, std::string* error) {
    std::string path = std::string(TIDEMARK_SCHEMA_DIR) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "Cannot read " + path;
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ExecSqliteScript(const std::string& path, const std::string& sql, std::string* error) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        if (error) *error = "Cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return false;
    }
    char* message = nullptr;
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    bool ok = rc == SQLITE_OK;
    if (!ok && error) *error = "SQL failed on " + path + ": " + (message ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

bool CreateSqliteDatabase(const std::string& path, const std::string& extraSql, std::string* error) {
    std::string schema = ReadSchemaFile("schema.sql", error);
    if (schema.empty()) return false;
    return ExecSqliteScript(path, schema + "\n" + extraSql, error);
}

SqliteFixture::SqliteFixture(const std::string& extraSql, const std::string& fileName) : folder_("tidemark-sqlite") {
    if (!folder_.ok()) {
        error_ = folder_.error();
        return;
    }
    path_ = folder_.File(fileName);
    CreateSqliteDatabase(path_, extraSql, &error_);
}

}  // namespace tidemark::testsupport
