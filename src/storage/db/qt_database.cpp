// The Database interface over QtSql: QSQLITE and QODBC connections (PostgreSQL is
// opened through libpq alone, see postgres_database.h).
//
// QSqlDatabase keeps every connection in a process-wide registry under a name. Each
// QtSqlDatabase registers one uniquely named connection and removes it when closed.
// No QSqlDatabase or QSqlQuery object outlives the function that made it, so when the
// name is removed nothing refers to the connection any more (otherwise Qt warns that
// the connection is still in use and keeps it alive).
//
// SQLite files are opened and checked through QSQLITE, but their statements run on a
// second, read-only handle of the SQLite library itself: series of a hundred thousand
// rows are then read without a QVariant and a UTF-16 copy per value, several times
// faster. The values come out exactly as QSQLITE would give them.
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <QtCore/QDateTime>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlDriver>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <QtSql/QSqlRecord>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "storage/db/connection_string.h"
#include "storage/db/database.h"
#include "storage/db/dialect.h"
#include "storage/db/file_database.h"
#include "storage/db/postgres_database.h"
#include "storage/db/sqlite_run.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {

namespace {

// The engine's own words first; Qt's generic wording only when the engine said nothing.
std::string ErrorText(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.driverText().trimmed();
    // PostgreSQL adds lines pointing into the statement; the first line says it all.
    qsizetype newline = text.indexOf(u'\n');
    if (newline >= 0) text = text.left(newline).trimmed();
    if (text.startsWith(u"ERROR:")) text = text.mid(6).trimmed();
    if (text.startsWith(u"FATAL:")) text = text.mid(6).trimmed();
    return ToProgramText(text);
}

double DayNumberOf(const QDate& date, const QTime& time) {
    return MakeDayNumber(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
}

void AddValue(Recordset::Builder& row, const QVariant& value) {
    if (value.isNull()) return row.AddNull();
    switch (value.metaType().id()) {
        case QMetaType::QDateTime: {
            // The wall-clock fields as stored. A time that falls in the gap of a
            // daylight-saving change makes the QDateTime invalid in local time, yet its date
            // and time fields still hold what the engine sent, and stored series (kept in
            // standard time) do have rows there.
            QDateTime dt = value.toDateTime();
            if (!dt.date().isValid() || !dt.time().isValid()) return row.AddNull();
            return row.AddDateTime(DayNumberOf(dt.date(), dt.time()));
        }
        case QMetaType::QDate: return row.AddDateTime(DayNumberOf(value.toDate(), QTime(0, 0)));
        case QMetaType::QTime: return row.AddDateTime(DayNumberOf(QDate(1899, 12, 30), value.toTime()));
        case QMetaType::QString: return row.AddText(ToProgramText(value.toString()));
        case QMetaType::QByteArray: {
            QByteArray bytes = value.toByteArray();
            return row.AddText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        }
        default: {
            bool ok = false;
            double number = value.toDouble(&ok);
            if (ok) return row.AddNumber(number);
            return row.AddText(ToProgramText(value.toString()));
        }
    }
}

QString NextConnectionName() {
    static std::atomic<unsigned long long> counter{0};
    return QStringLiteral("tidemark-db-%1").arg(++counter);
}

// What the ODBC driver says its database system is; the driver's own name (from the
// connection string) when the driver does not answer.
std::string OdbcDbmsName(const QSqlDatabase& db, const std::string& connectionString) {
    QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // QODBC hands out its connection handle as a plain pointer.
    if (handle.isValid() &&
        (qstrcmp(handle.typeName(), "void*") == 0 || qstrcmp(handle.typeName(), "SQLHANDLE") == 0)) {
        SQLHANDLE hdbc = *static_cast<const SQLHANDLE*>(handle.constData());
        SQLCHAR name[256] = {};
        SQLSMALLINT length = 0;
        if (hdbc && SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof name, &length)))
            return std::string(reinterpret_cast<const char*>(name));
    }
    return ConnectionValue(SplitConnectionString(connectionString), {"Driver", "DSN"});
}

class QtSqlDatabase final : public Database {
public:
    explicit QtSqlDatabase(const char* driver) : name_(NextConnectionName()) {
        QSqlDatabase::addDatabase(QString::fromLatin1(driver), name_);
    }
    ~QtSqlDatabase() override { Release(); }

    Result<bool> Connect(const ConnectionTarget& target) {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            switch (target.kind) {
                case ConnectionTarget::Kind::SQLite: {
                    Result<bool> ready = ConnectSqlite(db, target);
                    if (!ready) return ready;
                    break;
                }
                case ConnectionTarget::Kind::Odbc: {
                    Result<bool> ready = ConnectOdbc(db, target);
                    if (!ready) return ready;
                    break;
                }
                case ConnectionTarget::Kind::PostgreSQL:
                case ConnectionTarget::Kind::AccessFile:
                case ConnectionTarget::Kind::Workbook:
                    return Fault{"PostgreSQL, Access files and workbooks are read without QtSql"};
            }
        }
        open_ = true;
        return true;
    }

    bool IsOpen() const override { return open_; }

    bool ReadsBesideAnotherConnection() const override { return direct_ != nullptr; }

    void Close() override {
        if (!open_) return;
        open_ = false;
        if (direct_) {
            sqlite3_close(direct_);
            direct_ = nullptr;
        }
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.close();
    }

    Result<SeriesRows> OpenSeries(const std::string& statement) override {
        if (!direct_) return Database::OpenSeries(statement);
        // A statement split in two is one command that reads, as Runnable requires; it is
        // converted once, not again as a whole.
        std::optional<SqliteKeyRanges> halves = SplitSqliteWindow(statement);
        if (halves && KeyHolds(halves->table, halves->column))
            return RunSeriesOnSqlite(direct_, {halves->first, halves->second});
        Result<std::string> sql = Runnable(statement);
        if (!sql) return Fault{sql.error()};
        return RunSeriesOnSqlite(direct_, sql.value());
    }

    Result<Recordset> OpenRecordset(const std::string& statement) override {
        Result<std::string> runnable = Runnable(statement);
        if (!runnable) return Fault{runnable.error()};
        const std::string& sql = runnable.value();
        if (direct_) return RunOnSqlite(direct_, sql);
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(ProgramText(sql))) return Fault{ErrorText(query.lastError())};
        if (!query.isSelect()) return Fault{"The statement returns no records"};

        QSqlRecord record = query.record();
        std::vector<std::string> names;
        for (int i = 0; i < record.count(); ++i) names.push_back(ToProgramText(record.fieldName(i)));
        int columns = static_cast<int>(names.size());
        Recordset::Builder rows(std::move(names));
        while (query.next()) {
            for (int i = 0; i < columns; ++i) AddValue(rows, query.value(i));
            rows.EndRow();
        }
        if (query.lastError().isValid()) return Fault{ErrorText(query.lastError())};
        return rows.Finish();
    }

    std::string AdaptStatement(const std::string& statement) const override {
        return ApplyDialect(dialect_, statement);
    }

    std::string EngineName() const override { return engineName_; }

private:
    // The statement in the engine's form, when it may be run here.
    Result<std::string> Runnable(const std::string& statement) const {
        if (!open_) return Fault{"The database connection is closed"};
        // Connections are read-only already; this also covers ODBC drivers that ignore it.
        return RunnableStatement(dialect_, statement);
    }

    Result<bool> ConnectSqlite(QSqlDatabase& db, const ConnectionTarget& target) {
        dialect_ = SqlDialect::SQLite;
        engineName_ = "SQLite";
        // Opened read-only, SQLite says only "unable to open database file" for a missing
        // file (and opened otherwise it would create an empty one that reads as no
        // data); say which file is missing instead.
        std::error_code ec;
        std::filesystem::file_status status = std::filesystem::status(target.file, ec);
        if (!std::filesystem::exists(status)) return Fault{"The database file " + target.file + " does not exist"};
        if (!std::filesystem::is_regular_file(status))
            return Fault{"The database file " + target.file + " is not a file"};
        // SQLite takes an empty file for an empty database; the cause is the file.
        if (std::filesystem::file_size(target.file, ec) == 0 && !ec)
            return Fault{"The database file " + target.file + " is empty (0 bytes): it holds no tables"};
        db.setDatabaseName(ProgramText(target.file));
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(target.lockWait.count()));
        if (!db.open()) return Fault{"Cannot open the database file " + target.file + ": " + ErrorText(db.lastError())};
        // SQLite reads the file lazily; ask for its catalogue now so that a file that is
        // not a database fails here, with its name, rather than at the first statement.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")))
            return Fault{"Cannot read the database file " + target.file + ": " + ErrorText(probe.lastError())};
        OpenDirectSqlite(target.file, target.lockWait);
        return true;
    }

    // The handle statements run on; without it (the library refuses a second handle)
    // they run through QSQLITE, only slower.
    void OpenDirectSqlite(const std::string& file, std::chrono::milliseconds lockWait) {
        QByteArray path = ProgramText(file).toUtf8();
        sqlite3* handle = nullptr;
        if (sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK) {
            sqlite3_close(handle);
            return;
        }
        // The same wait for a writer's lock as the QSQLITE connection beside it.
        sqlite3_busy_timeout(handle, static_cast<int>(lockWait.count()));
        // A series is read once, as one range of its key: a small page cache holds the
        // tree's inner pages, and the operating system's cache has the file. SQLite's
        // 2 MB default, on each reading connection, only adds to the peak memory.
        sqlite3_exec(handle, "PRAGMA cache_size = -512", nullptr, nullptr, nullptr);
        direct_ = handle;
    }

    Result<bool> ConnectOdbc(QSqlDatabase& db, const ConnectionTarget& target) {
        std::string connection = target.odbc;
        // The SQLite driver creates a missing file unless told not to; a misspelt path
        // would then read as an empty database instead of failing.
        auto pairs = SplitConnectionString(connection);
        bool sqliteDriver = Contains(LCase(ConnectionValue(pairs, {"Driver"})), "sqlite");
        std::string file = ConnectionValue(pairs, {"Database"});
        std::error_code ec;
        if (sqliteDriver && !file.empty() && !std::filesystem::exists(file, ec))
            return Fault{"The database file " + file + " does not exist"};
        bool addNoCreate = sqliteDriver && ConnectionValue(pairs, {"NoCreat"}).empty();
        connection = OdbcConnectString(connection, addNoCreate ? "NoCreat=1" : "");
        db.setDatabaseName(ProgramText(connection));
        db.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY;SQL_ATTR_LOGIN_TIMEOUT=10"));
        if (!db.open())
            return Fault{"Cannot open the ODBC data source " + RedactConnectionString(target.odbc) + ": " +
                         ErrorText(db.lastError())};
        std::string dbms = OdbcDbmsName(db, target.odbc);
        dialect_ = OdbcDialectFor(dbms);
        engineName_ = "ODBC (" + (dbms.empty() ? std::string("unknown") : dbms) + ")";
        // Drivers may ignore the read-only access mode (the SQLite one does), so the
        // engines that can be told directly are told.
        QString readOnly;
        if (dialect_ == SqlDialect::SQLite) readOnly = QStringLiteral("PRAGMA query_only = 1");
        if (dialect_ == SqlDialect::PostgreSQL)
            readOnly = QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
        // The MariaDB driver ignores the access mode: a function that writes would run.
        if (dialect_ == SqlDialect::MySql) readOnly = QStringLiteral("SET SESSION TRANSACTION READ ONLY");
        if (!readOnly.isEmpty()) {
            QSqlQuery query(db);
            if (!query.exec(readOnly))
                return Fault{"Cannot make the ODBC session read-only: " + ErrorText(query.lastError())};
        }
        return true;
    }

    // Whether the table's primary key holds the column, so that a range of it is read
    // from the key. Without such a key each half of a split window would be a scan of
    // its own, so the window is then run as one statement.
    bool KeyHolds(const std::string& table, const std::string& column) {
        const std::string key = LCase(table) + '\n' + LCase(column);
        auto known = keyColumns_.find(key);
        if (known != keyColumns_.end()) return known->second;
        return keyColumns_[key] = IsSqliteKeyColumn(direct_, table, column);
    }

    // Closes and unregisters the connection; no handle to it may be alive here.
    void Release() {
        Close();
        if (name_.isEmpty()) return;
        QSqlDatabase::removeDatabase(name_);
        name_.clear();
    }

    QString name_;
    bool open_ = false;
    sqlite3* direct_ = nullptr;               // SQLite files: the handle statements run on
    std::map<std::string, bool> keyColumns_;  // "table\ncolumn": in the table's primary key
    SqlDialect dialect_ = SqlDialect::SQLite;
    std::string engineName_;
};

const char* QtDriverFor(ConnectionTarget::Kind kind) {
    switch (kind) {
        case ConnectionTarget::Kind::SQLite: return "QSQLITE";
        case ConnectionTarget::Kind::Odbc: return "QODBC";
        case ConnectionTarget::Kind::PostgreSQL:
        case ConnectionTarget::Kind::AccessFile:
        case ConnectionTarget::Kind::Workbook: return "";
    }
    return "";
}

const char* DebianPackageFor(ConnectionTarget::Kind kind) {
    switch (kind) {
        case ConnectionTarget::Kind::SQLite: return "libqt6sql6-sqlite";
        case ConnectionTarget::Kind::Odbc: return "libqt6sql6-odbc";
        case ConnectionTarget::Kind::PostgreSQL:
        case ConnectionTarget::Kind::AccessFile:
        case ConnectionTarget::Kind::Workbook: return "";
    }
    return "";
}

}  // namespace

void LoadConnectionDriver(const std::string& connectionString, const std::string& programFolder) {
    Result<ConnectionTarget> target = ResolveConnectionString(connectionString, programFolder);
    if (!target) return;
    const QString driver = QString::fromLatin1(QtDriverFor(target->kind));
    if (driver.isEmpty() || !QSqlDatabase::isDriverAvailable(driver)) return;
    const QString name = NextConnectionName();
    // The handle addDatabase gives back is gone before the name is removed, so nothing
    // still uses the connection when it is.
    QSqlDatabase::addDatabase(driver, name);
    QSqlDatabase::removeDatabase(name);
}

Result<std::unique_ptr<Database>> OpenConnection(const std::string& connectionString, const std::string& programFolder,
                                                 std::chrono::milliseconds lockWait) {
    Result<ConnectionTarget> target = ResolveConnectionString(connectionString, programFolder);
    if (!target) return Fault{target.error()};
    target->lockWait = lockWait;
    if (target->kind == ConnectionTarget::Kind::PostgreSQL) return OpenPostgres(target.value());
    if (target->kind == ConnectionTarget::Kind::AccessFile || target->kind == ConnectionTarget::Kind::Workbook) {
        FileDatabaseTarget file;
        file.kind =
            target->kind == ConnectionTarget::Kind::AccessFile ? FileDatabaseKind::Access : FileDatabaseKind::Workbook;
        file.file = target->file;
        file.headerRow = target->headerRow;
        return OpenFileDatabase(file);
    }
    const char* driver = QtDriverFor(target->kind);
    if (!QSqlDatabase::isDriverAvailable(QString::fromLatin1(driver)))
        return Fault{std::string("The database driver ") + driver + " is not installed (package " +
                     DebianPackageFor(target->kind) + ")"};
    auto database = std::make_unique<QtSqlDatabase>(driver);
    Result<bool> connected = database->Connect(target.value());
    if (!connected) return Fault{connected.error()};  // the destructor unregisters it
    return std::unique_ptr<Database>(std::move(database));
}

}  // namespace tidemark
