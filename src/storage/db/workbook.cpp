#include "storage/db/workbook.h"

#include <algorithm>
#include <cmath>

#include "core/vbtext.h"
#include "storage/db/sqlite_copy.h"

namespace tidemark {

Result<std::vector<WorkbookRow>> Workbook::ReadSheet(int sheet) {
    std::vector<WorkbookRow> rows;
    Result<bool> read = ReadRows(sheet, [&](const WorkbookRow& row) { rows.push_back(row); });
    if (!read) return Fault{read.error()};
    return rows;
}

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::optional<WorkbookFormat> WorkbookFormatOf(const std::string& path) {
    std::string lower = LCase(path);
    if (EndsWith(lower, ".xls")) return WorkbookFormat::Xls;
    if (EndsWith(lower, ".xlsx") || EndsWith(lower, ".xlsm")) return WorkbookFormat::Xlsx;
    return std::nullopt;
}

Result<std::unique_ptr<Workbook>> OpenWorkbook(const std::string& path) {
    std::optional<WorkbookFormat> format = WorkbookFormatOf(path);
    if (!format) return Fault{"The file " + path + " is not a workbook (.xls or .xlsx)"};
    return OpenWorkbook(WorkbookSource{path, *format});
}

Result<std::unique_ptr<Workbook>> OpenWorkbook(const WorkbookSource& source, const WorkbookLimits& limits) {
    return source.format == WorkbookFormat::Xls ? OpenXlsWorkbook(source) : OpenXlsxWorkbook(source, limits);
}

double DayNumberOfSerial(double serial, bool date1904) {
    if (date1904) return serial + 1462;
    // Serials below 60 come before the day that never was, so they run one day behind
    // day numbers; from 1 March 1900 on the two agree.
    if (serial < 60) return serial + 1;
    return serial;
}

namespace {

bool IsEmpty(const WorkbookRow& row) {
    for (const WorkbookCell& cell : row)
        if (cell.kind != WorkbookCell::Kind::Empty) return false;
    return true;
}

void AddCell(const WorkbookCell& cell, SqliteCopy& copy) {
    switch (cell.kind) {
        case WorkbookCell::Kind::Empty: return copy.AddNull();
        case WorkbookCell::Kind::Text: return copy.AddText(cell.text);
        case WorkbookCell::Kind::DateTime: return copy.AddDateTime(cell.number);
        case WorkbookCell::Kind::Boolean: return copy.AddInteger(cell.number != 0 ? 1 : 0);
        case WorkbookCell::Kind::Number:
            // Whole numbers are kept as integers, as the schema's keys are.
            if (cell.number == std::trunc(cell.number) && std::fabs(cell.number) < 9.0e15)
                return copy.AddInteger(static_cast<int64_t>(cell.number));
            return copy.AddReal(cell.number);
    }
}

std::string HeaderName(const WorkbookCell& cell, size_t index) {
    std::string name;
    if (cell.kind == WorkbookCell::Kind::Text)
        name = TrimBlanks(cell.text);
    else if (cell.kind == WorkbookCell::Kind::Number)
        name = CStr(cell.number);
    if (name.empty()) name = "F" + std::to_string(index + 1);
    return name;
}

std::vector<CopyColumn> NumberedColumns(size_t count) {
    std::vector<CopyColumn> columns;
    for (size_t i = 0; i < count; ++i) columns.push_back({"F" + std::to_string(i + 1), CopyColumnType::Untyped});
    return columns;
}

// Rows as they come: the first row that has a cell names the columns; cells beyond the
// last named column are not read.
Result<bool> CopySheetWithHeader(Workbook& workbook, int sheet, SqliteCopy& copy) {
    const std::string& name = workbook.SheetNames()[static_cast<size_t>(sheet)];
    size_t columns = 0;
    bool started = false;
    Result<bool> failed = true;
    Result<bool> read = workbook.ReadRows(sheet, [&](const WorkbookRow& row) {
        if (!failed || IsEmpty(row)) return;
        if (!started) {
            std::vector<CopyColumn> names;
            size_t count = row.size();
            while (count > 0 && row[count - 1].kind == WorkbookCell::Kind::Empty) --count;
            for (size_t i = 0; i < count; ++i) names.push_back({HeaderName(row[i], i), CopyColumnType::Untyped});
            columns = count;
            started = true;
            failed = copy.BeginTable(name, names);
            return;
        }
        for (size_t i = 0; i < columns; ++i) {
            if (i < row.size())
                AddCell(row[i], copy);
            else
                copy.AddNull();
        }
        failed = copy.EndRow();
    });
    if (!read) return read;
    if (!failed) return failed;
    // A sheet with nothing on it still answers as a table, with no rows.
    if (!started) {
        Result<bool> begun = copy.BeginTable(name, NumberedColumns(1));
        if (!begun) return begun;
    }
    return copy.EndTable();
}

Result<bool> CopySheetWithoutHeader(Workbook& workbook, int sheet, SqliteCopy& copy) {
    Result<std::vector<WorkbookRow>> rows = workbook.ReadSheet(sheet);
    if (!rows) return Fault{rows.error()};
    size_t columns = 1;
    for (const WorkbookRow& row : rows.value()) columns = std::max(columns, row.size());
    Result<bool> begun = copy.BeginTable(workbook.SheetNames()[static_cast<size_t>(sheet)], NumberedColumns(columns));
    if (!begun) return begun;
    for (const WorkbookRow& row : rows.value()) {
        if (IsEmpty(row)) continue;
        for (size_t i = 0; i < columns; ++i) {
            if (i < row.size())
                AddCell(row[i], copy);
            else
                copy.AddNull();
        }
        Result<bool> added = copy.EndRow();
        if (!added) return added;
    }
    return copy.EndTable();
}

}  // namespace

Result<bool> CopyWorkbook(Workbook& workbook, bool headerRow, SqliteCopy& copy) {
    for (size_t i = 0; i < workbook.SheetNames().size(); ++i) {
        int sheet = static_cast<int>(i);
        Result<bool> copied =
            headerRow ? CopySheetWithHeader(workbook, sheet, copy) : CopySheetWithoutHeader(workbook, sheet, copy);
        if (!copied) return copied;
    }
    return true;
}

}  // namespace tidemark
