#pragma once
// Running one statement on a PostgreSQL connection through libpq. Qt's driver turns every
// timestamp into a QDateTime, and that conversion asks the C library for the local time
// zone (a stat of /etc/localtime) once per row: a series of a hundred thousand rows then
// spends most of its fetch there. Read as text and parsed here, the rows come out as that
// driver gives them - the date and time fields as the server wrote them - at the pace of
// libpq.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/result.h"
#include "storage/db/recordset.h"
#include "storage/db/series_rows.h"

struct pg_conn;

namespace tidemark {

// Runs a reading statement (program text) and reads all its rows.
Result<Recordset> RunOnPostgres(pg_conn* connection, const std::string& sql);

// Runs a series statement with its rows in the server's binary form: the server then
// neither writes a hundred thousand dates and numbers as text nor this side reads them
// back. The rows come out as RunOnPostgres and SeriesRowsOf would give them. Nothing
// when a column is of a type kept only as text here (text, numeric, real, zoned
// timestamps): the caller then runs the statement as text.
std::optional<Result<SeriesRows>> RunSeriesOnPostgres(pg_conn* connection, const std::string& sql);

// Series statements sent before they are asked for, in libpq's pipeline mode: a server far
// away then answers a page's statements in about one round trip instead of one each. The
// rows come out as RunSeriesOnPostgres gives them. Statements are compared as the
// server's text; one asked for out of order reads those sent before it and keeps them.
// A few are sent ahead at a time, so that rows read early stay few and neither side
// waits on a full socket.
class SeriesPipeline {
public:
    explicit SeriesPipeline(pg_conn* connection) : connection_(connection) {}
    ~SeriesPipeline();
    SeriesPipeline(const SeriesPipeline&) = delete;
    SeriesPipeline& operator=(const SeriesPipeline&) = delete;

    // The statements asked for next, in the order they will be.
    void Expect(std::vector<std::string> statements);
    // The rows of a statement expected before: outer nothing when it was not; inner
    // nothing when a column is of a type read only as text.
    std::optional<std::optional<Result<SeriesRows>>> Take(const std::string& sql);
    // A statement run on its own: it is no longer sent ahead.
    void Forget(const std::string& sql);
    // Reads what was sent and leaves pipeline mode, so that the connection runs a
    // statement on its own; Resume sends ahead again.
    void Leave();
    void Resume();

private:
    static constexpr std::size_t kMostSentAhead = 24;

    bool Usable() const;
    void SendAhead();
    std::optional<Result<SeriesRows>> ReadNext();

    pg_conn* connection_;
    std::deque<std::string> unsent_;
    std::deque<std::string> sent_;
    std::deque<std::pair<std::string, std::optional<Result<SeriesRows>>>> read_;
};

}  // namespace tidemark
