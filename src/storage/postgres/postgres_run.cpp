#include "storage/postgres/postgres_run.h"

#include <libpq-fe.h>

#include <QtCore/QByteArray>
#include <QtCore/QtEndian>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/daynum.h"
#include "core/windows1252.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {
namespace {

// Type numbers of pg_type that are read as something other than text.
enum class PgType : Oid {
    Bool = 16,
    Bytea = 17,
    Int8 = 20,
    Int2 = 21,
    Int4 = 23,
    Oid = 26,
    Float4 = 700,
    Float8 = 701,
    Date = 1082,
    Time = 1083,
    Timestamp = 1114,
    TimestampTz = 1184,
    Numeric = 1700,
};

enum class ColumnRead { Text, Number, Bool, Bytes, Date, Time, DateTime };

ColumnRead ReadOf(Oid type) {
    switch (static_cast<PgType>(type)) {
        case PgType::Bool: return ColumnRead::Bool;
        case PgType::Bytea: return ColumnRead::Bytes;
        case PgType::Int8:
        case PgType::Int2:
        case PgType::Int4:
        case PgType::Oid:
        case PgType::Float4:
        case PgType::Float8:
        case PgType::Numeric: return ColumnRead::Number;
        case PgType::Date: return ColumnRead::Date;
        case PgType::Time: return ColumnRead::Time;
        case PgType::Timestamp:
        case PgType::TimestampTz: return ColumnRead::DateTime;
    }
    return ColumnRead::Text;
}

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultHandle = std::unique_ptr<PGresult, ResultDeleter>;

// The server's message as the other engines give theirs: the first line, without the
// severity word.
std::string ErrorText(const char* message) {
    std::string_view text = message ? message : "";
    if (size_t newline = text.find('\n'); newline != std::string_view::npos) text = text.substr(0, newline);
    auto trim = [](std::string_view t) {
        while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.remove_suffix(1);
        return t;
    };
    text = trim(text);
    for (std::string_view severity : {"ERROR:", "FATAL:"})
        if (text.substr(0, severity.size()) == severity) text = trim(text.substr(severity.size()));
    std::string out;
    AppendUtf8AsWindows1252(text, out);
    return out.empty() ? std::string("The PostgreSQL server gave no reason") : out;
}

// Reads `digits` decimal digits at `at`, moving past them.
std::optional<int> Digits(std::string_view text, size_t& at, size_t digits) {
    if (at + digits > text.size()) return std::nullopt;
    int value = 0;
    for (size_t i = 0; i < digits; ++i) {
        char c = text[at + i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    at += digits;
    return value;
}

bool Expect(std::string_view text, size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

struct WallTime {
    int hour = 0, minute = 0, second = 0;
};

// "HH:MM:SS" with any fraction of a second dropped, as a QTime's whole seconds are.
std::optional<WallTime> ReadTime(std::string_view text, size_t& at) {
    auto h = Digits(text, at, 2);
    if (!h || !Expect(text, at, ':')) return std::nullopt;
    auto m = Digits(text, at, 2);
    if (!m || !Expect(text, at, ':')) return std::nullopt;
    auto s = Digits(text, at, 2);
    if (!s || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9';) ++at;
    return WallTime{*h, *m, *s};
}

int DaysIn(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "YYYY-MM-DD", a valid date of years 1 to 9999 (no era suffix).
std::optional<double> ReadDate(std::string_view text, size_t& at) {
    auto y = Digits(text, at, 4);
    if (!y || !Expect(text, at, '-')) return std::nullopt;
    auto m = Digits(text, at, 2);
    if (!m || !Expect(text, at, '-')) return std::nullopt;
    auto d = Digits(text, at, 2);
    if (!d || *y < 1 || *m < 1 || *m > 12 || *d < 1 || *d > DaysIn(*y, *m)) return std::nullopt;
    return DateSerial(*y, *m, *d);
}

// The date and time fields as the server wrote them. A time zone's offset is not
// applied: the session's zone is the one the series are kept in, and Qt's driver, too, keeps
// the fields as written. "infinity", dates before Christ and the like read as nothing.
std::optional<double> ReadDateTime(std::string_view text) {
    size_t at = 0;
    std::optional<double> day = ReadDate(text, at);
    if (!day || !Expect(text, at, ' ')) return std::nullopt;
    std::optional<WallTime> time = ReadTime(text, at);
    if (!time) return std::nullopt;
    if (at < text.size() && text[at] != '+' && text[at] != '-') return std::nullopt;
    return *day + TimeSerial(time->hour, time->minute, time->second);
}

std::optional<double> ReadDateOnly(std::string_view text) {
    size_t at = 0;
    std::optional<double> day = ReadDate(text, at);
    return day && at == text.size() ? day : std::nullopt;
}

std::optional<double> ReadTimeOnly(std::string_view text) {
    size_t at = 0;
    std::optional<WallTime> time = ReadTime(text, at);
    if (!time) return std::nullopt;
    return TimeSerial(time->hour, time->minute, time->second);
}

std::optional<double> ReadNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// bytea in the server's hex output form, "\x" and two digits a byte.
std::string ReadBytes(std::string_view text) {
    if (text.substr(0, 2) != "\\x") return std::string(text);
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string bytes;
    bytes.reserve((text.size() - 2) / 2);
    for (size_t i = 2; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<char>(nibble(text[i]) * 16 + nibble(text[i + 1])));
    return bytes;
}

class RowReader {
public:
    explicit RowReader(Recordset::Builder& rows) : rows_(rows) {}

    void Add(ColumnRead read, std::string_view text) {
        switch (read) {
            case ColumnRead::Number: return AddOrText(ReadNumber(text), text);
            case ColumnRead::Bool: return rows_.AddNumber(text == "t" ? 1 : 0);
            case ColumnRead::Bytes: return rows_.AddText(ReadBytes(text));
            case ColumnRead::Date: return AddDateTime(ReadDateOnly(text));
            case ColumnRead::Time: return AddDateTime(ReadTimeOnly(text));
            case ColumnRead::DateTime: return AddDateTime(ReadDateTime(text));
            case ColumnRead::Text: return AddText(text);
        }
    }

private:
    void AddDateTime(std::optional<double> day) {
        if (!day) return rows_.AddNull();
        rows_.AddDateTime(*day);
    }
    // "NaN" and the like are numbers to the server but text to the reader's callers.
    void AddOrText(std::optional<double> number, std::string_view text) {
        if (number) return rows_.AddNumber(*number);
        AddText(text);
    }
    void AddText(std::string_view utf8) {
        size_t ascii = 0;
        while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
        if (ascii == utf8.size()) return rows_.AddText(utf8);
        converted_.clear();
        AppendUtf8AsWindows1252(utf8, converted_);
        rows_.AddText(converted_);
    }

    Recordset::Builder& rows_;
    std::string converted_;
};

// The server's binary forms, most significant byte first.
template <class T>
T BigEndian(const char* bytes) {
    return qFromBigEndian<T>(bytes);
}

// Dates and timestamps count from 2000-01-01; their largest and smallest values stand
// for infinity.
const double kPostgresEpoch = DateSerial(2000, 1, 1);
const double kFirstReadableDay = DateSerial(1, 1, 1);
const double kLastReadableDay = DateSerial(9999, 12, 31);

std::optional<double> ReadableDay(int64_t days) {
    double day = kPostgresEpoch + static_cast<double>(days);
    if (day < kFirstReadableDay || day > kLastReadableDay) return std::nullopt;
    return day;
}

// As the text form is read: whole seconds, a fraction dropped, the date and the time
// added as the text reader adds them, so both give the same day number.
std::optional<double> BinaryTimestamp(const char* bytes) {
    int64_t micros = BigEndian<int64_t>(bytes);
    if (micros == INT64_MAX || micros == INT64_MIN) return std::nullopt;
    int64_t seconds = micros / 1000000 - (micros % 1000000 < 0 ? 1 : 0);
    int64_t days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    int64_t rest = seconds - days * 86400;
    std::optional<double> day = ReadableDay(days);
    if (!day) return std::nullopt;
    return *day +
           TimeSerial(static_cast<int>(rest / 3600), static_cast<int>(rest % 3600 / 60), static_cast<int>(rest % 60));
}

std::optional<double> BinaryDate(const char* bytes) {
    int32_t days = BigEndian<int32_t>(bytes);
    if (days == INT32_MAX || days == INT32_MIN) return std::nullopt;
    return ReadableDay(days);
}

// A field of a binary row as the Recordset of the text form holds it.
enum class BinaryRead { DateTime, Date, Float8, Int2, Int4, Int8 };

std::optional<BinaryRead> BinaryReadOf(Oid type) {
    switch (static_cast<PgType>(type)) {
        case PgType::Timestamp: return BinaryRead::DateTime;
        case PgType::Date: return BinaryRead::Date;
        case PgType::Float8: return BinaryRead::Float8;
        case PgType::Int2: return BinaryRead::Int2;
        case PgType::Int4: return BinaryRead::Int4;
        case PgType::Int8: return BinaryRead::Int8;
        default: return std::nullopt;
    }
}

struct BinaryField {
    bool dateTime = false;        // else a number
    std::optional<double> value;  // nothing: null, or a date the text form reads as null
};

BinaryField ReadBinary(BinaryRead read, const char* bytes) {
    switch (read) {
        case BinaryRead::DateTime: return {true, BinaryTimestamp(bytes)};
        case BinaryRead::Date: return {true, BinaryDate(bytes)};
        case BinaryRead::Float8: return {false, std::bit_cast<double>(BigEndian<uint64_t>(bytes))};
        case BinaryRead::Int2: return {false, static_cast<double>(BigEndian<int16_t>(bytes))};
        case BinaryRead::Int4: return {false, static_cast<double>(BigEndian<int32_t>(bytes))};
        case BinaryRead::Int8: return {false, static_cast<double>(BigEndian<int64_t>(bytes))};
    }
    return {};
}

// A statement's result as the rows it gives, or a fault in the words the server's message
// and the other engines use.
Result<ResultHandle> Checked(pg_conn* connection, ResultHandle result) {
    if (!result) return Fault{ErrorText(PQerrorMessage(connection))};
    ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK) return Fault{"The statement returns no records"};
    if (status != PGRES_TUPLES_OK) return Fault{ErrorText(PQresultErrorMessage(result.get()))};
    if (PQnfields(result.get()) == 0) return Fault{"The statement returns no records"};
    return result;
}

// Runs one statement.
Result<ResultHandle> Run(pg_conn* connection, const std::string& sql, RowForm form) {
    const QByteArray utf8 = ProgramText(sql).toUtf8();
    // Text rows go by the simple protocol, which also runs a string of several statements.
    return Checked(connection,
                   ResultHandle(form == RowForm::Text ? PQexec(connection, utf8.constData())
                                                      : PQexecParams(connection, utf8.constData(), 0, nullptr, nullptr,
                                                                     nullptr, nullptr, 1)));
}

bool IntegerDateTimes(pg_conn* connection) {
    const char* setting = PQparameterStatus(connection, "integer_datetimes");
    return setting && std::string_view(setting) == "on";
}

}  // namespace

namespace {

// The rows of a statement's text result, as the program's record sets hold them.
Result<Recordset> RecordsetOf(Result<ResultHandle> ran) {
    if (!ran) return ran.fault();
    ResultHandle result = std::move(ran.value());
    const int columns = PQnfields(result.get());
    std::vector<std::string> names;
    std::vector<ColumnRead> reads;
    for (int c = 0; c < columns; ++c) {
        std::string name;
        AppendUtf8AsWindows1252(PQfname(result.get(), c), name);
        names.push_back(std::move(name));
        reads.push_back(ReadOf(PQftype(result.get(), c)));
    }
    Recordset::Builder rows(std::move(names));
    RowReader reader(rows);
    const int count = PQntuples(result.get());
    for (int r = 0; r < count; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result.get(), r, c)) {
                rows.AddNull();
                continue;
            }
            const char* value = PQgetvalue(result.get(), r, c);
            reader.Add(reads[static_cast<size_t>(c)],
                       std::string_view(value, static_cast<size_t>(PQgetlength(result.get(), r, c))));
        }
        rows.EndRow();
    }
    return rows.Finish();
}

}  // namespace

Result<Recordset> RunOnPostgres(pg_conn* connection, const std::string& sql) {
    return RecordsetOf(Run(connection, sql, RowForm::Text));
}

namespace {

// The rows of a series statement's binary result; nothing when a column is of a type
// kept only as text here.
std::optional<Result<SeriesRows>> SeriesRowsOf(Result<ResultHandle> ran) {
    if (!ran) return Result<SeriesRows>(ran.fault());
    ResultHandle result = std::move(ran.value());
    if (PQnfields(result.get()) < 2) return std::nullopt;

    PGresult* r = result.get();
    const int columns = PQnfields(r);
    std::vector<std::string> names;
    std::vector<BinaryRead> reads;
    for (int c = 0; c < columns; ++c) {
        std::optional<BinaryRead> read = BinaryReadOf(PQftype(r, c));
        if (!read) return std::nullopt;
        reads.push_back(*read);
        std::string name;
        AppendUtf8AsWindows1252(PQfname(r, c), name);
        names.push_back(std::move(name));
    }
    auto field = [&](int row, int c) -> BinaryField {
        if (PQgetisnull(r, row, c)) return {};
        return ReadBinary(reads[static_cast<size_t>(c)], PQgetvalue(r, row, c));
    };
    // The rows that read as a date-time and a number; the rest as the record set of the
    // text form holds them.
    const int count = PQntuples(r);
    std::vector<SeriesRow> rows;
    rows.reserve(static_cast<size_t>(count));
    int row = 0;
    for (; row < count; ++row) {
        BinaryField time = field(row, 0), value = field(row, 1);
        if (!time.value || !value.value || value.dateTime) break;
        rows.push_back({*time.value, *value.value});
    }
    Recordset::Builder rest(std::move(names));
    for (; row < count; ++row) {
        for (int c = 0; c < columns; ++c) {
            BinaryField f = field(row, c);
            if (!f.value)
                rest.AddNull();
            else if (f.dateTime)
                rest.AddDateTime(*f.value);
            else
                rest.AddNumber(*f.value);
        }
        rest.EndRow();
    }
    return Result<SeriesRows>(SeriesRows(std::move(rows), rest.Finish()));
}

}  // namespace

std::optional<Result<SeriesRows>> RunSeriesOnPostgres(pg_conn* connection, const std::string& sql) {
    if (!IntegerDateTimes(connection)) return std::nullopt;
    return SeriesRowsOf(Run(connection, sql, RowForm::Binary));
}

SeriesPipeline::~SeriesPipeline() { Leave(); }

bool SeriesPipeline::Usable() const {
    return connection_ && PQstatus(connection_) == CONNECTION_OK && IntegerDateTimes(connection_);
}

void SeriesPipeline::Expect(std::vector<std::string> statements) {
    if (!Usable()) return;
    for (std::string& sql : statements) unsent_.push_back({std::move(sql), RowForm::Binary});
    SendAhead();
}

void SeriesPipeline::ExpectRecordset(std::string sql) {
    if (!Usable()) return;
    unsent_.push_back({std::move(sql), RowForm::Text});
    SendAhead();
}

void SeriesPipeline::SendAhead() {
    if (unsent_.empty() || sent_.size() >= kMostSentAhead) return;
    if (PQpipelineStatus(connection_) == PQ_PIPELINE_OFF && !PQenterPipelineMode(connection_)) {
        unsent_.clear();
        return;
    }
    while (!unsent_.empty() && sent_.size() < kMostSentAhead) {
        const Statement& next = unsent_.front();
        const QByteArray utf8 = ProgramText(next.sql).toUtf8();
        const int format = next.form == RowForm::Binary ? 1 : 0;
        // Each statement is followed by its own synchronisation point: a fault of one is
        // its own and does not abort the statements after it, as when each ran alone.
        if (!PQsendQueryParams(connection_, utf8.constData(), 0, nullptr, nullptr, nullptr, nullptr, format) ||
            !PQpipelineSync(connection_)) {
            // The connection's own fault shows when the statement is run as it comes.
            unsent_.clear();
            return;
        }
        sent_.push_back(std::move(unsent_.front()));
        unsent_.pop_front();
    }
}

SeriesPipeline::Answer SeriesPipeline::ReadNext() {
    Statement statement = std::move(sent_.front());
    sent_.pop_front();
    Result<ResultHandle> result = Checked(connection_, ResultHandle(PQgetResult(connection_)));
    // The end of the statement's results, then its synchronisation point.
    while (PGresult* more = PQgetResult(connection_)) PQclear(more);
    ResultHandle synchronised(PQgetResult(connection_));
    Answer answer{std::move(statement), {}, {}};
    if (answer.statement.form == RowForm::Binary)
        answer.series = SeriesRowsOf(std::move(result));
    else
        answer.records = RecordsetOf(std::move(result));
    return answer;
}

std::optional<SeriesPipeline::Answer> SeriesPipeline::TakeAnswer(const Statement& wanted) {
    for (auto read = read_.begin(); read != read_.end(); ++read)
        if (read->statement == wanted) {
            Answer answer = std::move(*read);
            read_.erase(read);
            return answer;
        }
    if (std::find(sent_.begin(), sent_.end(), wanted) == sent_.end()) return std::nullopt;
    // Statements sent before this one and not asked for yet are kept for when they are.
    while (!(sent_.front() == wanted)) read_.push_back(ReadNext());
    Answer answer = ReadNext();
    SendAhead();
    return answer;
}

std::optional<std::optional<Result<SeriesRows>>> SeriesPipeline::Take(const std::string& sql) {
    std::optional<Answer> answer = TakeAnswer({sql, RowForm::Binary});
    if (!answer) return std::nullopt;
    return std::move(answer->series);
}

std::optional<Result<Recordset>> SeriesPipeline::TakeRecordset(const std::string& sql) {
    std::optional<Answer> answer = TakeAnswer({sql, RowForm::Text});
    if (!answer || !answer->records) return std::nullopt;
    return std::move(*answer->records);
}

void SeriesPipeline::Forget(const std::string& sql) {
    auto at = std::find_if(unsent_.begin(), unsent_.end(), [&sql](const Statement& s) { return s.sql == sql; });
    if (at != unsent_.end()) unsent_.erase(at);
}

void SeriesPipeline::Leave() {
    if (!connection_ || PQpipelineStatus(connection_) == PQ_PIPELINE_OFF) return;
    while (!sent_.empty()) read_.push_back(ReadNext());
    PQexitPipelineMode(connection_);
}

void SeriesPipeline::Resume() { SendAhead(); }

}  // namespace tidemark
