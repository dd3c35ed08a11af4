#pragma once
// The program's view of a database: a read-only connection that runs one statement at a
// time and hands back a buffered, forward-only record set. Statements are written in the
// program's own form; each engine's dialect step (dialect.h) is applied here, so callers
// never adapt statements to an engine themselves.
//
// A Database closes its connection when destroyed, so the operation that opens one owns
// it and releases it on every path, faults included.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/result.h"
#include "storage/db/connection_string.h"
#include "storage/db/recordset.h"
#include "storage/db/series_rows.h"

namespace tidemark {

class Database {
public:
    virtual ~Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    virtual bool IsOpen() const = 0;  // State
    virtual void Close() = 0;         // safe to call more than once

    // Runs one statement (after the dialect step) and fetches all its rows.
    virtual Result<Recordset> OpenRecordset(const std::string& statement) = 0;

    // Runs a series statement (date_time second, value third) for the series fetch.
    // Engines that can read the rows straight into day numbers do; the rest read them
    // through OpenRecordset.
    virtual Result<SeriesRows> OpenSeries(const std::string& statement) {
        Result<Recordset> rows = OpenRecordset(statement);
        if (!rows) return Fault{rows.error()};
        return SeriesRowsOf(std::move(rows.value()));
    }

    // The series statements OpenSeries is asked for next, in that order: a server far away
    // can have them on their way before they are asked for. A hint only; any statement
    // may still be opened, in any order, and the rows are those OpenSeries gives.
    virtual void ExpectSeries(const std::vector<std::string>& statements) { (void)statements; }

    // A record set OpenRecordset is asked for later, which may be sent now, before the
    // series expected after it (one statement, no several separated by ";").
    virtual void ExpectRecordset(const std::string& statement) { (void)statement; }

    // The statement as this engine will run it.
    virtual std::string AdaptStatement(const std::string& statement) const = 0;

    // "SQLite", "PostgreSQL", or "ODBC (<database system>)".
    virtual std::string EngineName() const = 0;

    // Whether a second connection to the same database, opened and used on another
    // thread, costs little and reads at the same time as this one: a file the engine's
    // library reads or a server's own client library. Not an ODBC driver (whose threading
    // varies) nor a file read whole into memory.
    virtual bool ReadsBesideAnotherConnection() const { return false; }

protected:
    Database() = default;
};

// Opens the database a completed connection string names, read-only. programFolder ends
// with "/"; a relative SQLite file is looked for there.
Result<std::unique_ptr<Database>> OpenConnection(const std::string& connectionString, const std::string& programFolder,
                                                 std::chrono::milliseconds lockWait = kPatientLockWait);

// Loads the driver the connection string needs on the calling thread. Qt gives a driver's
// plugin to the thread that loads it first; a connection opened first on a short-lived
// thread would leave the plugin to a thread that has ended, and that thread's data is
// then never freed. Call it on the long-lived thread before starting another that
// connects.
void LoadConnectionDriver(const std::string& connectionString, const std::string& programFolder);

}  // namespace tidemark
