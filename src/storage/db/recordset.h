#pragma once
// A forward-only, read-only record set whose rows are all fetched when the statement
// runs (a client-side cursor). Holding the rows in memory gives an exact record count
// for every engine and releases the engine's cursor and locks at once, so a logger
// writing to the same database is never held up by a reader working through rows.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace tidemark {

// One field of one row, as the engine handed it back. Text is 8-bit program text
// (Windows-1252), the same as the setup file's.
struct FieldValue {
    enum class Kind : uint8_t { Null, Number, Text, DateTime };
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
    class Builder;

    // A closed record set (State closed, no rows).
    Recordset() = default;
    // An open record set over the given rows; every row has one value per field name.
    Recordset(std::vector<std::string> fieldNames, std::vector<std::vector<FieldValue>> rows);

    bool IsOpen() const { return open_; }  // State
    void Close();                          // frees the rows; reads then fail

    bool Eof() const { return !open_ || position_ >= rowCount_; }
    void MoveNext() {
        if (!Eof()) ++position_;
    }
    long RecordCount() const { return open_ ? static_cast<long>(rowCount_) : 0; }

    int FieldCount() const { return static_cast<int>(fieldNames_.size()); }
    std::string FieldName(int index) const;

    // Fields of the current row by position, 0-based. IsNull is false when there is
    // no such field; reading it then reports why.
    bool IsNull(int index) const;
    // A date-time as a day number: engine date-times, date text ("YYYY-MM-DD HH:MM:SS",
    // "dd-mmm-yyyy hh:mm") and numbers (taken as day numbers).
    Result<double> DayNumber(int index) const;
    // A number: engine numbers, numeric text, and date-times as their day number.
    Result<double> Number(int index) const;
    // Text: numbers in plain decimal form, date-times as "YYYY-MM-DD HH:MM:SS".
    Result<std::string> Text(int index) const;

    // The raw field, or an error when there is no current row or no such field.
    Result<FieldValue> Field(int index) const;

private:
    // The rows are kept as cells, row after row, in blocks of a fixed size, with all text
    // in blocks of its own: a record set of a hundred thousand rows is a few dozen
    // allocations that never move, not a few per field.
    struct Cell {
        union {
            double number;  // Number and DateTime
            struct {
                uint32_t block;
                uint32_t offset;
            } text;  // Text: where it is kept
        };
        uint32_t textLength = 0;
        FieldValue::Kind kind = FieldValue::Kind::Null;
        bool present = true;  // false: the row had fewer values than there are fields
        Cell() : number(0) {}
    };
    static constexpr size_t kCellsPerBlock = 4096;  // 64 KiB
    static constexpr size_t kTextBlockBytes = 65536;

    const Cell& CellAt(size_t k) const { return cellBlocks_[k / kCellsPerBlock][k % kCellsPerBlock]; }
    std::string_view TextOf(const Cell& cell) const {
        return std::string_view(textBlocks_[cell.text.block]).substr(cell.text.offset, cell.textLength);
    }
    Result<const Cell*> CurrentCell(int index) const;
    // The current row's cell of a field that holds a value (not null).
    Result<const Cell*> ValueCell(int index) const;
    int CellsInRow(size_t row) const;

    std::vector<std::string> fieldNames_;
    std::vector<std::vector<Cell>> cellBlocks_;  // each reserved to kCellsPerBlock
    std::vector<std::string> textBlocks_;
    size_t rowCount_ = 0;
    size_t position_ = 0;
    bool open_ = false;
};

// Fills a record set value by value, row after row, for the engines' adapters.
class Recordset::Builder {
public:
    explicit Builder(std::vector<std::string> fieldNames);

    void AddNull() { Add(FieldValue::Kind::Null, 0, {}); }
    void AddNumber(double x) { Add(FieldValue::Kind::Number, x, {}); }
    void AddDateTime(double day) { Add(FieldValue::Kind::DateTime, day, {}); }
    void AddText(std::string_view text) { Add(FieldValue::Kind::Text, 0, text); }
    // Ends the row; a row given fewer values than there are fields is completed with
    // empty ones.
    void EndRow() {
        if (inRow_ < set_.fieldNames_.size()) CompleteRow();
        inRow_ = 0;
        ++set_.rowCount_;
    }

    size_t Rows() const { return set_.rowCount_; }
    Recordset Finish();

private:
    // Called for every value of every row, so kept where the compiler can inline it.
    [[gnu::always_inline]] void Add(FieldValue::Kind kind, double number, std::string_view text) {
        // Values past the last field have no name to be read by; they are not kept.
        if (inRow_ >= set_.fieldNames_.size()) return;
        Cell& cell = NextCell();
        cell.kind = kind;
        if (kind == FieldValue::Kind::Text) {
            if (text.size() > UINT32_MAX) text = text.substr(0, UINT32_MAX);
            std::string& block = TextBlockFor(text.size());
            cell.text.block = static_cast<uint32_t>(set_.textBlocks_.size() - 1);
            cell.text.offset = static_cast<uint32_t>(block.size());
            cell.textLength = static_cast<uint32_t>(text.size());
            block.append(text);
        } else {
            cell.number = number;
        }
        ++inRow_;
    }
    Cell& NextCell() {
        if (set_.cellBlocks_.empty() || set_.cellBlocks_.back().size() == kCellsPerBlock) NewCellBlock();
        return set_.cellBlocks_.back().emplace_back();
    }
    std::string& TextBlockFor(size_t length) {
        if (set_.textBlocks_.empty() || set_.textBlocks_.back().capacity() - set_.textBlocks_.back().size() < length ||
            set_.textBlocks_.back().size() + length > UINT32_MAX)
            NewTextBlock(length);
        return set_.textBlocks_.back();
    }
    void NewCellBlock();
    void NewTextBlock(size_t length);
    void CompleteRow();

    Recordset set_;
    size_t inRow_ = 0;
};

}  // namespace tidemark
