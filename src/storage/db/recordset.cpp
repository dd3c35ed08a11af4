#include "storage/db/recordset.h"

#include <algorithm>
#include <cstdio>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "storage/db/series_rows.h"

namespace tidemark {

namespace {

std::string DescribeField(const std::vector<std::string>& names, int index) {
    std::string text = "field " + std::to_string(index + 1);
    if (index >= 0 && index < static_cast<int>(names.size()) && !names[index].empty())
        text += " (" + names[index] + ")";
    return text;
}

// The stored form "YYYY-MM-DD HH:MM:SS" read without the general parser, the same way
// series rows read it. Other forms (and invalid dates) are left to ParseIsoDateTime.
std::optional<double> StoredDateTime(std::string_view text) {
    thread_local StoredDateTimeReader reader;
    return reader.Read(text);
}

std::string IsoText(double day) {
    CivilTime t = ToCivil(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

}  // namespace

Recordset::Recordset(std::vector<std::string> fieldNames, std::vector<std::vector<FieldValue>> rows) {
    Builder builder(std::move(fieldNames));
    for (const std::vector<FieldValue>& row : rows) {
        for (const FieldValue& value : row) {
            switch (value.kind) {
                case FieldValue::Kind::Null: builder.AddNull(); break;
                case FieldValue::Kind::Number: builder.AddNumber(value.number); break;
                case FieldValue::Kind::DateTime: builder.AddDateTime(value.number); break;
                case FieldValue::Kind::Text: builder.AddText(value.text); break;
            }
        }
        builder.EndRow();
    }
    *this = builder.Finish();
}

void Recordset::Close() {
    open_ = false;
    cellBlocks_.clear();
    cellBlocks_.shrink_to_fit();
    textBlocks_.clear();
    textBlocks_.shrink_to_fit();
    rowCount_ = 0;
    position_ = 0;
}

std::string Recordset::FieldName(int index) const {
    if (index < 0 || index >= FieldCount()) return {};
    return fieldNames_[index];
}

int Recordset::CellsInRow(size_t row) const {
    int count = 0;
    size_t width = fieldNames_.size();
    for (size_t i = 0; i < width; ++i)
        if (CellAt(row * width + i).present) ++count;
    return count;
}

Result<const Recordset::Cell*> Recordset::CurrentCell(int index) const {
    if (!open_) return Fault{"The record set is closed"};
    if (position_ >= rowCount_) return Fault{"There is no current record: the end of the record set has been reached"};
    size_t width = fieldNames_.size();
    if (index >= 0 && static_cast<size_t>(index) < width) {
        const Cell& cell = CellAt(position_ * width + static_cast<size_t>(index));
        if (cell.present) return &cell;
    }
    return Fault{"There is no field " + std::to_string(index + 1) + ": the record set has " +
                 std::to_string(CellsInRow(position_)) + " fields"};
}

Result<FieldValue> Recordset::Field(int index) const {
    Result<const Cell*> found = CurrentCell(index);
    if (!found) return found.fault();
    const Cell* cell = *found;
    switch (cell->kind) {
        case FieldValue::Kind::Null: return FieldValue::Null();
        case FieldValue::Kind::Number: return FieldValue::OfNumber(cell->number);
        case FieldValue::Kind::DateTime: return FieldValue::OfDateTime(cell->number);
        case FieldValue::Kind::Text: return FieldValue::OfText(std::string(TextOf(*cell)));
    }
    return Fault{"Unknown field kind"};
}

bool Recordset::IsNull(int index) const {
    Result<const Cell*> cell = CurrentCell(index);
    return cell && (*cell)->kind == FieldValue::Kind::Null;
}

Result<const Recordset::Cell*> Recordset::ValueCell(int index) const {
    Result<const Cell*> cell = CurrentCell(index);
    if (cell && (*cell)->kind == FieldValue::Kind::Null)
        return Fault{"Invalid use of Null: " + DescribeField(fieldNames_, index) + " is empty"};
    return cell;
}

namespace {

std::string Mismatch(const std::vector<std::string>& names, int index, std::string_view text, const char* wanted) {
    return "Type mismatch: " + DescribeField(names, index) + " holds \"" + std::string(text) + "\", which is not " +
           wanted;
}

}  // namespace

Result<double> Recordset::DayNumber(int index) const {
    Result<const Cell*> found = ValueCell(index);
    if (!found) return found.fault();
    const Cell* cell = *found;
    if (cell->kind != FieldValue::Kind::Text) return cell->number;
    std::string_view text = TextOf(*cell);
    if (std::optional<double> day = StoredDateTime(text)) return *day;
    if (std::optional<double> day = ParseIsoDateTime(text)) return *day;
    if (std::optional<double> day = ParseDayMonthYear(text)) return *day;
    return Fault{Mismatch(fieldNames_, index, text, "a date-time")};
}

Result<double> Recordset::Number(int index) const {
    Result<const Cell*> found = ValueCell(index);
    if (!found) return found.fault();
    const Cell* cell = *found;
    if (cell->kind != FieldValue::Kind::Text) return cell->number;
    std::string_view text = TextOf(*cell);
    if (std::optional<double> x = ParseDouble(text)) return *x;
    return Fault{Mismatch(fieldNames_, index, text, "a number")};
}

Result<std::string> Recordset::Text(int index) const {
    Result<const Cell*> found = ValueCell(index);
    if (!found) return found.fault();
    const Cell* cell = *found;
    switch (cell->kind) {
        case FieldValue::Kind::DateTime: return IsoText(cell->number);
        case FieldValue::Kind::Number: return CStr(cell->number);
        default: return std::string(TextOf(*cell));
    }
}

// ---- Builder ----

Recordset::Builder::Builder(std::vector<std::string> fieldNames) {
    set_.fieldNames_ = std::move(fieldNames);
    set_.open_ = true;
}

void Recordset::Builder::NewCellBlock() {
    set_.cellBlocks_.emplace_back();
    set_.cellBlocks_.back().reserve(kCellsPerBlock);
}

void Recordset::Builder::NewTextBlock(size_t length) {
    set_.textBlocks_.emplace_back();
    set_.textBlocks_.back().reserve(std::max(kTextBlockBytes, length));
}

void Recordset::Builder::CompleteRow() {
    while (inRow_ < set_.fieldNames_.size()) {
        Cell& absent = NextCell();
        absent.present = false;
        ++inRow_;
    }
}

Recordset Recordset::Builder::Finish() {
    if (inRow_ > 0) EndRow();
    Recordset done = std::move(set_);
    set_ = Recordset();
    return done;
}

}  // namespace tidemark
