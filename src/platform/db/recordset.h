#pragma once
// A forward-only, read-only record set whose rows are all fetched when the statement
// runs (a client-side cursor). Holding the rows in memory gives an exact record count
// for every engine and releases the engine's cursor and locks at once, so a logger
// writing to the same database is never held up by a reader working through rows.
#include <string>
#include <vector>

#include "platform/db/db_result.h"

namespace tidemark {

// One field of one row, as the engine handed it back. Text is 8-bit program text
// (Windows-1252), the same as the setup file's.
struct FieldValue {
    enum class Kind { Null, Number, Text, DateTime };
    Kind kind = Kind::Null;
    double number = 0;  // Number: the value; DateTime: the day number
    std::string text;   // Text only

    static FieldValue Null() { return {}; }
    static FieldValue OfNumber(double x) { return {Kind::Number, x, {}}; }
    static FieldValue OfText(std::string s) { return {Kind::Text, 0, std::move(s)}; }
    static FieldValue OfDateTime(double day) { return {Kind::DateTime, day, {}}; }
};

class Recordset {
public:
    // A closed record set (State closed, no rows).
    Recordset() = default;
    // An open record set over the given rows; every row has one value per field name.
    Recordset(std::vector<std::string> fieldNames, std::vector<std::vector<FieldValue>> rows);

    bool IsOpen() const { return open_; }  // State
    void Close();                          // frees the rows; reads then fail

    bool Eof() const { return !open_ || position_ >= rows_.size(); }
    void MoveNext();
    long RecordCount() const { return open_ ? static_cast<long>(rows_.size()) : 0; }

    int FieldCount() const { return static_cast<int>(fieldNames_.size()); }
    std::string FieldName(int index) const;

    // Fields of the current row by position, 0-based. IsNull is false when there is
    // no such field; reading it then reports why.
    bool IsNull(int index) const;
    // A date-time as a day number: engine date-times, date text ("YYYY-MM-DD HH:MM:SS",
    // "dd-mmm-yyyy hh:mm") and numbers (taken as day numbers).
    DbResult<double> DayNumber(int index) const;
    // A number: engine numbers, numeric text, and date-times as their day number.
    DbResult<double> Number(int index) const;
    // Text: numbers in plain decimal form, date-times as "YYYY-MM-DD HH:MM:SS".
    DbResult<std::string> Text(int index) const;

    // The raw field, or an error when there is no current row or no such field.
    DbResult<FieldValue> Field(int index) const;

private:
    std::vector<std::string> fieldNames_;
    std::vector<std::vector<FieldValue>> rows_;
    size_t position_ = 0;
    bool open_ = false;
};

}  // namespace tidemark
