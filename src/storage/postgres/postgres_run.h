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

// How a statement's rows come: as text (simple record sets) or in the server's binary form
// (series).
enum class RowForm { Text, Binary };

// Statements sent before they are asked for, in libpq's pipeline mode: a server far away
// then answers a page's statements in about one round trip instead of one each. Series
// come out as RunSeriesOnPostgres gives them, record sets as RunOnPostgres does.
// Statements are compared as the server's text; one asked for out of order reads those
// sent before it and keeps them. A few are sent ahead at a time, so that rows read
// early stay few and neither side waits on a full socket.
class SeriesPipeline {
public:
    explicit SeriesPipeline(pg_conn* connection) : connection_(connection) {}
    ~SeriesPipeline();
    SeriesPipeline(const SeriesPipeline&) = delete;
    SeriesPipeline& operator=(const SeriesPipeline&) = delete;

    // The series statements asked for next, in the order they will be.
    void Expect(std::vector<std::string> statements);
    // A single statement of a record set, sent now, after what was expected before it.
    void ExpectRecordset(std::string sql);
    // The rows of a series statement expected before: outer nothing when it was not;
    // inner nothing when a column is of a type read only as text.
    std::optional<std::optional<Result<SeriesRows>>> Take(const std::string& sql);
    // The record set of a statement expected before; nothing when it was not.
    std::optional<Result<Recordset>> TakeRecordset(const std::string& sql);
    // A statement run on its own: it is no longer sent ahead.
    void Forget(const std::string& sql);
    // Reads what was sent and leaves pipeline mode, so that the connection runs a
    // statement on its own; Resume sends ahead again.
    void Leave();
    void Resume();

private:
    // Two pages of statements on one of the two connections, with room to spare.
    static constexpr std::size_t kMostSentAhead = 48;

    struct Statement {
        std::string sql;
        RowForm form;
        bool operator==(const Statement&) const = default;
    };
    struct Answer {
        Statement statement;
        std::optional<Result<SeriesRows>> series;
        std::optional<Result<Recordset>> records;
    };

    bool Usable() const;
    void SendAhead();
    Answer ReadNext();
    std::optional<Answer> TakeAnswer(const Statement& wanted);

    pg_conn* connection_;
    std::deque<Statement> unsent_;
    std::deque<Statement> sent_;
    std::deque<Answer> read_;
};

}  // namespace tidemark
