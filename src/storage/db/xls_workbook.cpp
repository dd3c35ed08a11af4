// .xls workbooks (BIFF 2 to 8) through FreeXL, which also tells date cells from number
// cells by their formats.
#include <freexl.h>

#include <memory>
#include <optional>

#include "core/daynum.h"
#include "storage/db/workbook.h"

namespace tidemark {

namespace {

struct FreeXlCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using FreeXlHandle = std::unique_ptr<const void, FreeXlCloser>;

// FreeXL gives dates as text: "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS".
WorkbookCell DateCell(const char* text, bool timeOnly) {
    std::optional<double> day = timeOnly ? ParseIsoDateTime(std::string("1899-12-30 ") + text) : ParseIsoDateTime(text);
    WorkbookCell cell;
    if (!day) {
        cell.kind = WorkbookCell::Kind::Text;
        cell.text = text;
        return cell;
    }
    cell.kind = WorkbookCell::Kind::DateTime;
    cell.number = *day;
    return cell;
}

WorkbookCell CellOf(const FreeXL_CellValue& value) {
    WorkbookCell cell;
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = WorkbookCell::Kind::Number;
            cell.number = value.value.int_value;
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = WorkbookCell::Kind::Number;
            cell.number = value.value.double_value;
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            cell.kind = WorkbookCell::Kind::Text;
            cell.text = value.value.text_value ? value.value.text_value : "";
            break;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME: return DateCell(value.value.text_value, false);
        case FREEXL_CELL_TIME: return DateCell(value.value.text_value, true);
        default: break;
    }
    return cell;
}

class XlsWorkbook final : public Workbook {
public:
    XlsWorkbook(FreeXlHandle handle, std::string path, std::vector<std::string> sheets)
        : handle_(std::move(handle)), path_(std::move(path)), sheets_(std::move(sheets)) {}

    const std::vector<std::string>& SheetNames() const override { return sheets_; }

    Result<bool> ReadRows(int sheet, const std::function<void(const WorkbookRow&)>& visit) override {
        if (sheet < 0 || static_cast<size_t>(sheet) >= sheets_.size())
            return Fault{"The workbook " + path_ + " has no sheet " + std::to_string(sheet + 1)};
        const void* h = handle_.get();
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(h, static_cast<unsigned short>(sheet)) != FREEXL_OK ||
            freexl_worksheet_dimensions(h, &rows, &columns) != FREEXL_OK)
            return Fault{"Cannot read the sheet " + sheets_[static_cast<size_t>(sheet)] + " of the workbook " + path_};
        WorkbookRow row;
        for (unsigned int r = 0; r < rows; ++r) {
            row.assign(columns, WorkbookCell{});
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(h, r, c, &value) != FREEXL_OK)
                    return Fault{"Cannot read row " + std::to_string(r + 1) + " of the sheet " +
                                 sheets_[static_cast<size_t>(sheet)] + " of the workbook " + path_};
                row[c] = CellOf(value);
            }
            while (!row.empty() && row.back().kind == WorkbookCell::Kind::Empty) row.pop_back();
            visit(row);
        }
        return true;
    }

private:
    FreeXlHandle handle_;
    std::string path_;
    std::vector<std::string> sheets_;
};

}  // namespace

Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const WorkbookSource& source) {
    const std::string& path = source.Name();
    const void* raw = nullptr;
    int rc = freexl_open(source.path.c_str(), &raw);
    FreeXlHandle handle(raw);
    if (rc != FREEXL_OK || !raw) return Fault{"The file " + path + " is not an Excel workbook (.xls) that can be read"};
    unsigned int password = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        return Fault{"The workbook " + path + " is protected by a password"};
    unsigned int count = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        return Fault{"Cannot read the list of sheets of the workbook " + path};
    std::vector<std::string> sheets;
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(raw, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
            return Fault{"Cannot read the list of sheets of the workbook " + path};
        sheets.emplace_back(name);
    }
    return std::unique_ptr<Workbook>(new XlsWorkbook(std::move(handle), path, std::move(sheets)));
}

}  // namespace tidemark
