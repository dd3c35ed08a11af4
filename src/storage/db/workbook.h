#pragma once
// Workbooks read as sheets of rows of cells: .xls through FreeXL, .xlsx through its zip
// parts and their XML. The one reader of the program for spreadsheets: the database
// copy of a workbook and any screen that shows a sheet use it alike.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"

namespace tidemark {

struct WorkbookCell {
    enum class Kind : uint8_t { Empty, Number, Text, DateTime, Boolean };
    Kind kind = Kind::Empty;
    double number = 0;  // Number; DateTime: day number; Boolean: 1 or 0
    std::string text;   // Text, UTF-8

    bool operator==(const WorkbookCell&) const = default;
};

// One row, cells from column A on; trailing empty cells may be missing.
using WorkbookRow = std::vector<WorkbookCell>;

class Workbook {
public:
    virtual ~Workbook() = default;
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Sheet names in the workbook's order, UTF-8.
    virtual const std::vector<std::string>& SheetNames() const = 0;

    // Hands every row of a sheet (0-based index) to the visitor, top to bottom. Rows
    // with no cell at all are handed on as empty rows, so row numbers stay true.
    virtual Result<bool> ReadRows(int sheet, const std::function<void(const WorkbookRow&)>& visit) = 0;

    // All rows of a sheet at once.
    Result<std::vector<WorkbookRow>> ReadSheet(int sheet);

protected:
    Workbook() = default;
};

enum class WorkbookFormat { Xls, Xlsx };

// The format a file name's extension names, if any.
std::optional<WorkbookFormat> WorkbookFormatOf(const std::string& path);

// What a reader takes of one workbook. A few kilobytes of zip can unpack to gigabytes:
// a part that unpacks to more than `partBytes` is refused before it costs that memory.
struct WorkbookLimits {
    std::uint64_t partBytes = 512ull * 1024 * 1024;
};

// Where a workbook is read from: `path` (the file system's own bytes, UTF-8) is what is
// opened, `shownName` what messages call it (the path itself when empty).
struct WorkbookSource {
    std::string path;
    WorkbookFormat format = WorkbookFormat::Xlsx;
    std::string shownName{};

    const std::string& Name() const { return shownName.empty() ? path : shownName; }
};

// Opens a workbook read-only; a file that is not a workbook of its extension's format
// gives a message naming it.
Result<std::unique_ptr<Workbook>> OpenWorkbook(const std::string& path);
Result<std::unique_ptr<Workbook>> OpenWorkbook(const WorkbookSource& source, const WorkbookLimits& limits = {});
Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const WorkbookSource& source);
Result<std::unique_ptr<Workbook>> OpenXlsxWorkbook(const WorkbookSource& source, const WorkbookLimits& limits);

// Day number of a 1900-system serial number. Serial 60 is the 29 February 1900 that
// the 1900 system counts although it never was; it reads as 28 February.
double DayNumberOfSerial(double serial, bool date1904 = false);

// Every sheet becomes a table of the sheet's name: with a header row the first row
// names the columns (an empty name becomes Fn, n the column number), otherwise all
// rows are data and the columns are F1, F2, ... Empty rows are left out.
class SqliteCopy;
Result<bool> CopyWorkbook(Workbook& workbook, bool headerRow, SqliteCopy& copy);

}  // namespace tidemark
