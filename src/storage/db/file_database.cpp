#include "storage/db/file_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QtCore/QString>

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "storage/db/access_file.h"
#include "storage/db/dialect.h"
#include "storage/db/sqlite_copy.h"
#include "storage/db/sqlite_run.h"
#include "storage/db/workbook.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {

namespace {

namespace fs = std::filesystem;

// A logger that is writing the file, or holds a lock on it, is usually done within
// this time.
constexpr std::chrono::milliseconds kRetryWait{500};

struct FileStamp {
    uintmax_t size = 0;
    fs::file_time_type modified{};
    bool operator==(const FileStamp&) const = default;
};

struct CachedCopy {
    FileStamp stamp;
    bool headerRow = true;
    std::shared_ptr<sqlite3> db;
};

struct CopyCache {
    std::mutex lock;
    std::map<std::string, CachedCopy> copies;  // by file path
    long long made = 0;
};

CopyCache& Cache() {
    static CopyCache cache;
    return cache;
}

Result<FileStamp> StampOf(const std::string& native, const std::string& shown) {
    std::error_code ec;
    fs::file_status status = fs::status(native, ec);
    if (!fs::exists(status)) return Fault{"The database file " + shown + " does not exist"};
    if (!fs::is_regular_file(status)) return Fault{"The database file " + shown + " is not a file"};
    FileStamp stamp;
    stamp.size = fs::file_size(native, ec);
    if (ec) return Fault{"Cannot read the database file " + shown + ": " + ec.message()};
    stamp.modified = fs::last_write_time(native, ec);
    if (ec) return Fault{"Cannot read the database file " + shown + ": " + ec.message()};
    return stamp;
}

// True when another program holds a write lock on the file. The file is opened for
// reading only and no lock is taken, so a logger is never kept from writing.
bool LockedForWriting(const std::string& native) {
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    bool locked = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

Result<std::shared_ptr<sqlite3>> CopyFile(const FileDatabaseTarget& target, const std::string& native) {
    if (LockedForWriting(native))
        return Fault{"The database file " + target.file + " is locked by the program writing it"};
    Result<SqliteCopy> copy = SqliteCopy::Create();
    if (!copy) return Fault{copy.error()};
    Result<bool> copied = true;
    if (target.kind == FileDatabaseKind::Access) {
        copied = CopyAccessFile(native, copy.value());
    } else {
        Result<std::unique_ptr<Workbook>> workbook = OpenWorkbook(native);
        if (!workbook) return Fault{workbook.error()};
        copied = CopyWorkbook(*workbook.value(), target.headerRow, copy.value());
    }
    if (!copied) return Fault{copied.error()};
    return copy->Finish();
}

// A copy of the file as it stands: made again once when the reading failed or the file
// changed while it was read (a logger half-way through writing it).
Result<std::pair<FileStamp, std::shared_ptr<sqlite3>>> StableCopy(const FileDatabaseTarget& target,
                                                                  const std::string& native) {
    std::string lastError;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kRetryWait);
        Result<FileStamp> before = StampOf(native, target.file);
        if (!before) return Fault{before.error()};
        Result<std::shared_ptr<sqlite3>> db = CopyFile(target, native);
        Result<FileStamp> after = StampOf(native, target.file);
        if (!after) return Fault{after.error()};
        if (db && before.value() == after.value()) return std::make_pair(before.value(), db.value());
        lastError = db ? "The database file " + target.file + " changed while it was read" : db.error();
    }
    return Fault{lastError};
}

class FileCopyDatabase final : public Database {
public:
    FileCopyDatabase(std::shared_ptr<sqlite3> db, const FileDatabaseTarget& target)
        : db_(std::move(db)), kind_(target.kind), file_(target.file) {}

    bool IsOpen() const override { return db_ != nullptr; }
    void Close() override { db_.reset(); }

    Result<Recordset> OpenRecordset(const std::string& statement) override {
        Result<std::string> sql = Runnable(statement);
        if (!sql) return Fault{sql.error()};
        Result<Recordset> rows = RunOnSqlite(db_.get(), sql.value());
        if (rows) return rows;
        return Fault{InFileTerms(rows.error())};
    }

    Result<SeriesRows> OpenSeries(const std::string& statement) override {
        Result<std::string> sql = Runnable(statement);
        if (!sql) return Fault{sql.error()};
        Result<SeriesRows> rows = RunSeriesOnSqlite(db_.get(), sql.value());
        if (rows) return rows;
        return Fault{InFileTerms(rows.error())};
    }

    std::string AdaptStatement(const std::string& statement) const override {
        return ApplyDialect(SqlDialect::SQLite, statement);
    }

    std::string EngineName() const override {
        return kind_ == FileDatabaseKind::Access ? "Access file" : "Excel workbook";
    }

private:
    // The statement in SQLite's form, when it may be run here.
    Result<std::string> Runnable(const std::string& statement) const {
        if (!db_) return Fault{"The database connection is closed"};
        return RunnableStatement(SqlDialect::SQLite, statement);
    }

    // SQLite's "no such table: x" said of the file the user named.
    std::string InFileTerms(const std::string& error) const {
        const std::string missing = "no such table: ";
        if (error.compare(0, missing.size(), missing) != 0) return error;
        std::string table = error.substr(missing.size());
        return kind_ == FileDatabaseKind::Access ? "The Access file " + file_ + " has no table " + table
                                                 : "The workbook " + file_ + " has no sheet " + table;
    }

    std::shared_ptr<sqlite3> db_;
    FileDatabaseKind kind_;
    std::string file_;
};

}  // namespace

Result<std::unique_ptr<Database>> OpenFileDatabase(const FileDatabaseTarget& target) {
    std::string native = ProgramText(target.file).toStdString();
    Result<FileStamp> stamp = StampOf(native, target.file);
    if (!stamp) return Fault{stamp.error()};
    CopyCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    auto found = cache.copies.find(native);
    if (found != cache.copies.end() && found->second.stamp == stamp.value() &&
        found->second.headerRow == target.headerRow)
        return std::unique_ptr<Database>(std::make_unique<FileCopyDatabase>(found->second.db, target));
    // The old copy goes first: two copies of a large file need not be held at once.
    if (found != cache.copies.end()) cache.copies.erase(found);
    auto copy = StableCopy(target, native);
    if (!copy) return Fault{copy.error()};
    ++cache.made;
    cache.copies[native] = CachedCopy{copy->first, target.headerRow, copy->second};
    return std::unique_ptr<Database>(std::make_unique<FileCopyDatabase>(copy->second, target));
}

long long FileCopiesMade() {
    CopyCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    return cache.made;
}

}  // namespace tidemark
