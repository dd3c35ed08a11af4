// Statements on a SQLite handle: every row fetched at once into a Recordset.
#include "storage/db/sqlite_run.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include "core/windows1252.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {

// The SQLite library's message, trimmed to its first line like the engines' others.
std::string SqliteErrorText(sqlite3* db) {
    QString text = QString::fromUtf8(sqlite3_errmsg(db)).trimmed();
    qsizetype newline = text.indexOf(u'\n');
    if (newline >= 0) text = text.left(newline).trimmed();
    return ToProgramText(text);
}

namespace {

// A prepared statement, finalised on every path.
class Statement {
public:
    ~Statement() { sqlite3_finalize(statement_); }
    sqlite3_stmt* get() const { return statement_; }
    sqlite3_stmt** out() { return &statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

Result<bool> Prepare(sqlite3* db, const std::string& sql, Statement& statement) {
    // Program text is UTF-8 already where it is ASCII, as statements nearly always are.
    QByteArray utf8 = IsAscii(sql) ? QByteArray::fromRawData(sql.data(), static_cast<qsizetype>(sql.size()))
                                   : ProgramText(sql).toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), statement.out(), nullptr) != SQLITE_OK)
        return Fault{SqliteErrorText(db)};
    if (!statement.get()) return Fault{"The statement returns no records"};
    return true;
}

std::vector<std::string> ColumnNames(sqlite3_stmt* statement) {
    std::vector<std::string> names;
    int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(statement, i);
        std::string text;
        if (name) AppendUtf8AsWindows1252(name, text);
        names.push_back(std::move(text));
    }
    return names;
}

// The current row's values as the engine gave them. The statement is stepped on this
// thread only, so its values are read through sqlite3_column_value (one library call a
// field instead of two or three).
void AddRow(sqlite3_stmt* statement, int columns, Recordset::Builder& rows, std::string& text) {
    for (int i = 0; i < columns; ++i) {
        sqlite3_value* value = sqlite3_column_value(statement, i);
        switch (sqlite3_value_type(value)) {
            case SQLITE_NULL: rows.AddNull(); break;
            case SQLITE_INTEGER: rows.AddNumber(static_cast<double>(sqlite3_value_int64(value))); break;
            case SQLITE_FLOAT: rows.AddNumber(sqlite3_value_double(value)); break;
            case SQLITE_BLOB: {
                const void* bytes = sqlite3_value_blob(value);
                int length = sqlite3_value_bytes(value);
                rows.AddText(
                    std::string_view(static_cast<const char*>(bytes), bytes ? static_cast<size_t>(length) : 0));
                break;
            }
            default: {
                const unsigned char* chars = sqlite3_value_text(value);
                size_t length = chars ? static_cast<size_t>(sqlite3_value_bytes(value)) : 0;
                size_t ascii = 0;
                while (ascii < length && chars[ascii] < 0x80) ++ascii;
                if (ascii == length) {
                    rows.AddText(std::string_view(reinterpret_cast<const char*>(chars), length));
                } else {
                    text.clear();
                    AppendUtf8AsWindows1252(std::string_view(reinterpret_cast<const char*>(chars), length), text);
                    rows.AddText(text);
                }
                break;
            }
        }
    }
    rows.EndRow();
}

// The rest of the rows, from the current one on, as RunOnSqlite keeps them.
Result<Recordset> RestOfRows(sqlite3* db, sqlite3_stmt* statement, std::vector<std::string> names, int rc) {
    int columns = static_cast<int>(names.size());
    Recordset::Builder rows(std::move(names));
    std::string text;
    for (; rc == SQLITE_ROW; rc = sqlite3_step(statement)) AddRow(statement, columns, rows, text);
    if (rc != SQLITE_DONE) return Fault{SqliteErrorText(db)};
    if (columns == 0) return Fault{"The statement returns no records"};
    return rows.Finish();
}

}  // namespace

Result<Recordset> RunOnSqlite(sqlite3* db, const std::string& sql) {
    Statement statement;
    Result<bool> prepared = Prepare(db, sql, statement);
    if (!prepared) return Fault{prepared.error()};
    return RestOfRows(db, statement.get(), ColumnNames(statement.get()), sqlite3_step(statement.get()));
}

namespace {

// A row of a series statement as a day number and a value; false when a field holds
// anything else (a null, text in another form), which the Recordset is left to read.
bool ReadSeriesRow(sqlite3_stmt* s, StoredDateTimeReader& dates, SeriesRow& row) {
    sqlite3_value* time = sqlite3_column_value(s, 0);
    switch (sqlite3_value_type(time)) {
        case SQLITE_TEXT: {
            const char* chars = reinterpret_cast<const char*>(sqlite3_value_text(time));
            if (!chars) return false;
            std::optional<double> day =
                dates.Read(std::string_view(chars, static_cast<size_t>(sqlite3_value_bytes(time))));
            if (!day) return false;
            row.time = *day;
            break;
        }
        case SQLITE_FLOAT: row.time = sqlite3_value_double(time); break;
        case SQLITE_INTEGER: row.time = static_cast<double>(sqlite3_value_int64(time)); break;
        default: return false;
    }
    sqlite3_value* value = sqlite3_column_value(s, 1);
    switch (sqlite3_value_type(value)) {
        case SQLITE_FLOAT: row.value = sqlite3_value_double(value); return true;
        case SQLITE_INTEGER: row.value = static_cast<double>(sqlite3_value_int64(value)); return true;
        default: return false;
    }
}

}  // namespace

Result<SeriesRows> RunSeriesOnSqlite(sqlite3* db, const std::string& sql) {
    return RunSeriesOnSqlite(db, std::vector<std::string>{sql});
}

Result<SeriesRows> RunSeriesOnSqlite(sqlite3* db, const std::vector<std::string>& commands) {
    std::vector<SeriesRow> rows;
    std::optional<Recordset::Builder> rest;  // from the first row that does not read on
    std::vector<std::string> names;
    StoredDateTimeReader dates;
    std::string text;
    for (const std::string& sql : commands) {
        Statement statement;
        Result<bool> prepared = Prepare(db, sql, statement);
        if (!prepared) return Fault{prepared.error()};
        sqlite3_stmt* s = statement.get();
        const int columns = sqlite3_column_count(s);
        if (columns == 0) return Fault{"The statement returns no records"};
        if (names.empty()) names = ColumnNames(s);
        int rc = sqlite3_step(s);
        if (!rest && columns >= 2) {
            if (rows.empty()) rows.reserve(4096);
            for (SeriesRow row; rc == SQLITE_ROW && ReadSeriesRow(s, dates, row); rc = sqlite3_step(s))
                rows.push_back(row);
        }
        if (!rest && rc == SQLITE_ROW) rest.emplace(names);
        for (; rc == SQLITE_ROW; rc = sqlite3_step(s)) AddRow(s, columns, *rest, text);
        if (rc != SQLITE_DONE) return Fault{SqliteErrorText(db)};
    }
    if (!rest) rest.emplace(std::move(names));
    return SeriesRows(std::move(rows), rest->Finish());
}

bool IsSqliteKeyColumn(sqlite3* db, const std::string& table, const std::string& column) {
    Statement statement;
    if (sqlite3_prepare_v2(db, "select pk from pragma_table_info(?1) where name = ?2 collate nocase", -1,
                           statement.out(), nullptr) != SQLITE_OK)
        return false;
    QByteArray tableName = ProgramText(table).toUtf8(), columnName = ProgramText(column).toUtf8();
    sqlite3_bind_text(statement.get(), 1, tableName.constData(), static_cast<int>(tableName.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement.get(), 2, columnName.constData(), static_cast<int>(columnName.size()), SQLITE_STATIC);
    return sqlite3_step(statement.get()) == SQLITE_ROW && sqlite3_column_int(statement.get(), 0) > 0;
}

}  // namespace tidemark
