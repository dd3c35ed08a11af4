#pragma once
// An in-memory SQLite database that the file readers fill with the tables of an Access
// file or a workbook. Once filled it is only read, through the SQLite dialect step like
// any SQLite file, so the program's statements stay exactly as written for every kind
// of file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tidemark {

struct SqliteCloser {
    void operator()(sqlite3* db) const;
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const;
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The declared type of a copied column. Declared types give SQLite's column affinity,
// so numbers kept as text in a file still compare as numbers, as the schema's do.
enum class CopyColumnType { Integer, Real, Text, DateTime, Blob, Untyped };

struct CopyColumn {
    std::string name;  // UTF-8
    CopyColumnType type = CopyColumnType::Untyped;
};

class SqliteCopy {
public:
    // Opens an empty in-memory database.
    static Result<SqliteCopy> Create();

    // Starts a table; the values of its rows follow, one Add per column and EndRow.
    Result<bool> BeginTable(const std::string& name, const std::vector<CopyColumn>& columns);
    void AddNull();
    void AddInteger(int64_t value);
    void AddReal(double value);
    void AddText(std::string_view utf8);
    void AddBlob(std::string_view bytes);
    // A day number, stored as local-time text "YYYY-MM-DD HH:MM:SS" as in the schema.
    void AddDateTime(double day);
    Result<bool> EndRow();
    // Ends the table: indexes the series key of value tables, whose statements always
    // pick one series.
    Result<bool> EndTable();

    // Ends the filling and makes the database read-only; the handle serves statements.
    Result<std::shared_ptr<sqlite3>> Finish();

    long long RowsCopied() const { return rows_; }

private:
    explicit SqliteCopy(SqliteHandle db) : db_(std::move(db)) {}
    Result<bool> Exec(const std::string& sql);
    Result<bool> Fail(const std::string& what);

    SqliteHandle db_;
    SqliteStatement insert_;
    std::string table_;
    bool indexKey_ = false;
    int column_ = 0;
    long long rows_ = 0;
};

// Name in double quotes for SQLite, inner quotes doubled.
std::string QuoteSqliteName(std::string_view name);

// "YYYY-MM-DD HH:MM:SS" of a day number (rounded to the second).
std::string DateTimeText(double day);

}  // namespace tidemark
