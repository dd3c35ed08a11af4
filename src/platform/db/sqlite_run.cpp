// Statements on a SQLite handle: every row fetched at once into a Recordset.
#include "platform/db/sqlite_run.h"

#include <sqlite3.h>

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include "core/windows1252.h"
#include "platform/qt_text.h"

namespace tidemark {

// The SQLite library's message, trimmed to its first line like the engines' others.
std::string SqliteErrorText(sqlite3* db) {
    QString text = QString::fromUtf8(sqlite3_errmsg(db)).trimmed();
    qsizetype newline = text.indexOf(u'\n');
    if (newline >= 0) text = text.left(newline).trimmed();
    return ToProgramText(text);
}

// Runs a statement on a SQLite handle and reads all its rows.
DbResult<Recordset> RunOnSqlite(sqlite3* db, const std::string& sql) {
    QByteArray utf8 = ProgramText(sql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &statement, nullptr) != SQLITE_OK) {
        std::string error = SqliteErrorText(db);
        sqlite3_finalize(statement);
        return DbError{error};
    }
    if (!statement) return DbError{"The statement returns no records"};
    int columns = sqlite3_column_count(statement);
    std::vector<std::string> names;
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(statement, i);
        std::string text;
        if (name) AppendUtf8AsWindows1252(name, text);
        names.push_back(std::move(text));
    }
    Recordset::Builder rows(std::move(names));
    std::string text;
    int rc;
    // The statement is stepped on this thread only, so its values are read through
    // sqlite3_column_value (one library call a field instead of two or three).
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
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
    if (rc != SQLITE_DONE) {
        std::string error = SqliteErrorText(db);
        sqlite3_finalize(statement);
        return DbError{error};
    }
    sqlite3_finalize(statement);
    if (columns == 0) return DbError{"The statement returns no records"};
    return rows.Finish();
}

}  // namespace tidemark
