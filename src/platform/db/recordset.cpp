#include "platform/db/recordset.h"

#include <cstdio>

#include "core/daynum.h"
#include "core/vbtext.h"

namespace tidemark {

namespace {

std::string DescribeField(const std::vector<std::string>& names, int index) {
    std::string text = "field " + std::to_string(index + 1);
    if (index >= 0 && index < static_cast<int>(names.size()) && !names[index].empty())
        text += " (" + names[index] + ")";
    return text;
}

std::string IsoText(double day) {
    CivilTime t = ToCivil(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

}  // namespace

Recordset::Recordset(std::vector<std::string> fieldNames, std::vector<std::vector<FieldValue>> rows)
    : fieldNames_(std::move(fieldNames)), rows_(std::move(rows)), open_(true) {}

void Recordset::Close() {
    open_ = false;
    rows_.clear();
    rows_.shrink_to_fit();
    position_ = 0;
}

void Recordset::MoveNext() {
    if (!Eof()) ++position_;
}

std::string Recordset::FieldName(int index) const {
    if (index < 0 || index >= FieldCount()) return {};
    return fieldNames_[index];
}

DbResult<FieldValue> Recordset::Field(int index) const {
    if (!open_) return DbError{"The record set is closed"};
    if (position_ >= rows_.size())
        return DbError{"There is no current record: the end of the record set has been reached"};
    const std::vector<FieldValue>& row = rows_[position_];
    if (index < 0 || index >= static_cast<int>(row.size()))
        return DbError{"There is no field " + std::to_string(index + 1) + ": the record set has " +
                       std::to_string(row.size()) + " fields"};
    return row[index];
}

bool Recordset::IsNull(int index) const {
    DbResult<FieldValue> field = Field(index);
    return field.ok() && field->kind == FieldValue::Kind::Null;
}

DbResult<double> Recordset::DayNumber(int index) const {
    DbResult<FieldValue> field = Field(index);
    if (!field) return DbError{field.error()};
    switch (field->kind) {
    case FieldValue::Kind::Null:
        return DbError{"Invalid use of Null: " + DescribeField(fieldNames_, index) + " is empty"};
    case FieldValue::Kind::DateTime:
    case FieldValue::Kind::Number:
        return field->number;
    case FieldValue::Kind::Text:
        if (std::optional<double> day = ParseIsoDateTime(field->text)) return *day;
        if (std::optional<double> day = ParseDayMonthYear(field->text)) return *day;
        return DbError{"Type mismatch: " + DescribeField(fieldNames_, index) + " holds \"" +
                       field->text + "\", which is not a date-time"};
    }
    return DbError{"Unknown field kind"};
}

DbResult<double> Recordset::Number(int index) const {
    DbResult<FieldValue> field = Field(index);
    if (!field) return DbError{field.error()};
    switch (field->kind) {
    case FieldValue::Kind::Null:
        return DbError{"Invalid use of Null: " + DescribeField(fieldNames_, index) + " is empty"};
    case FieldValue::Kind::DateTime:
    case FieldValue::Kind::Number:
        return field->number;
    case FieldValue::Kind::Text:
        if (std::optional<double> x = ParseDouble(field->text)) return *x;
        return DbError{"Type mismatch: " + DescribeField(fieldNames_, index) + " holds \"" +
                       field->text + "\", which is not a number"};
    }
    return DbError{"Unknown field kind"};
}

DbResult<std::string> Recordset::Text(int index) const {
    DbResult<FieldValue> field = Field(index);
    if (!field) return DbError{field.error()};
    switch (field->kind) {
    case FieldValue::Kind::Null:
        return DbError{"Invalid use of Null: " + DescribeField(fieldNames_, index) + " is empty"};
    case FieldValue::Kind::DateTime:
        return IsoText(field->number);
    case FieldValue::Kind::Number:
        return CStr(field->number);
    case FieldValue::Kind::Text:
        return field->text;
    }
    return DbError{"Unknown field kind"};
}

}  // namespace tidemark
