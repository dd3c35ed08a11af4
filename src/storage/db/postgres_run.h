#pragma once
// Running one statement on a PostgreSQL connection through libpq. Qt's driver turns every
// timestamp into a QDateTime, and that conversion asks the C library for the local time
// zone (a stat of /etc/localtime) once per row: a series of a hundred thousand rows then
// spends most of its fetch there. Read as text and parsed here, the rows come out as that
// driver gives them - the date and time fields as the server wrote them - at the pace of
// libpq.
#include <optional>
#include <string>

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

}  // namespace tidemark
