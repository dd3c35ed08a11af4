#pragma once
// The rows of a series statement ("select date_time, value ..."), read for what the
// series fetch takes of them: the first field as a day number and the second as a
// number. Holding two doubles a row instead of every field as the engine gave
// it keeps a fetch of a hundred thousand rows close to the engine's own speed.
//
// It is read like a Recordset (Eof, MoveNext, fields by position) and answers exactly as
// a Recordset of the same rows would, faults included: the first row whose fields do not
// read as a date-time and a number ends the rows and is kept whole, so reading it gives
// the Recordset's own error and the text of its fields names it.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "storage/db/recordset.h"

namespace tidemark {

struct SeriesRow {
    double time = 0;  // day number
    double value = 0;
};

class SeriesRows {
public:
    SeriesRows() = default;
    // Rows that read well, then the rest as the engine gave them (from the first row
    // that did not read as a date-time and a number on).
    SeriesRows(std::vector<SeriesRow> rows, Recordset rest);

    bool Eof() const { return position_ >= rows_.size() && rest_.Eof(); }
    void MoveNext() {
        if (position_ < rows_.size())
            ++position_;
        else
            rest_.MoveNext();
    }
    long RecordCount() const { return static_cast<long>(rows_.size()) + rest_.RecordCount(); }

    // Field 0 of the current row as a day number, field 1 as a number; every other
    // field, and every field of the rest, as the Recordset reads it.
    Result<double> DayNumber(int index) const {
        if (index == 0 && position_ < rows_.size()) return rows_[position_].time;
        return Rest().DayNumber(index);
    }
    Result<double> Number(int index) const {
        if (index == 1 && position_ < rows_.size()) return rows_[position_].value;
        return Rest().Number(index);
    }
    Result<std::string> Text(int index) const;

private:
    // The rest's current row; while a converted row is current, a record set without a
    // current row, so that asking it for another field fails as a Recordset does.
    const Recordset& Rest() const { return position_ < rows_.size() ? none_ : rest_; }

    std::vector<SeriesRow> rows_;
    Recordset rest_;
    Recordset none_;
    size_t position_ = 0;
};

// The rows of a record set, converted field by field (any engine).
SeriesRows SeriesRowsOf(Recordset rows);

// Day numbers of date-time text in the stored form "YYYY-MM-DD HH:MM:SS" (or with a "T"),
// nothing for any other text or an invalid date. Series hold hundreds of rows a day in
// date order, so the day of the row before is kept and its date part not read again.
class StoredDateTimeReader {
public:
    std::optional<double> Read(std::string_view text);

private:
    char day_[10] = {};
    bool haveDay_ = false;
    double serial_ = 0;
};

}  // namespace tidemark
