#include "app/sheet_page.h"

#include "core/html_text.h"
#include "core/vbtext.h"
#include "pages/opened_document.h"
#include "storage/db/workbook.h"

namespace tidemark {
namespace {

// A number as the spreadsheet shows it: with its leading zero ("0.0004", "-0.5"), which
// the program's own number text leaves out.
std::string NumberText(double number) {
    std::string text = Trim(Str(number));
    const size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() > digits && text[digits] == '.') text.insert(digits, "0");
    return text;
}

std::string CellText(const WorkbookCell& cell) {
    switch (cell.kind) {
        case WorkbookCell::Kind::Empty: return {};
        case WorkbookCell::Kind::Number: return NumberText(cell.number);
        case WorkbookCell::Kind::Text: return cell.text;
        case WorkbookCell::Kind::DateTime:
            return FormatDate(cell.number,
                              cell.number == static_cast<long long>(cell.number) ? "dd-mmm-yyyy" : "dd-mmm-yyyy hh:mm");
        case WorkbookCell::Kind::Boolean: return cell.number != 0 ? "TRUE" : "FALSE";
    }
    return {};
}

std::string Page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + HtmlEscaped(title) +
           "</title>\n<style>body{font-family:sans-serif;margin:8px;background:#fff}"
           "table{border-collapse:collapse}td,th{border:1px solid #999;padding:2px 6px;font-size:14px}"
           "th{background:#e4e4e4;font-weight:normal}td.n{text-align:right}</style></head>\n<body>\n" +
           body + "</body></html>\n";
}

std::string FileName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string SheetPageHtml(const OpenedDocument& file, const std::string& path) {
    const std::string name = FileName(path);
    const std::optional<WorkbookFormat> format = WorkbookFormatOf(path);
    if (!format) return Page(name, "<p>" + HtmlEscaped(name) + " is not a workbook (.xls or .xlsx).</p>\n");
    if (file.Size() > kSheetFileBytes)
        return Page(name, "<p>" + HtmlEscaped(name) + " is larger than " +
                              std::to_string(kSheetFileBytes / (1024 * 1024)) + " MB.</p>\n");
    // The reader opens the checked file again by its descriptor, never by its path.
    auto workbook = OpenWorkbook(WorkbookSource{file.DescriptorPath(), *format, name}, {kSheetPartBytes});
    if (!workbook) return Page(name, "<p>" + HtmlEscaped(workbook.error()) + "</p>\n");
    Workbook& book = *workbook.value();
    if (book.SheetNames().empty()) return Page(name, "<p>" + HtmlEscaped(name) + " has no sheets.</p>\n");
    std::string sheetName = book.SheetNames().front();
    std::string rows;
    size_t columns = 0;
    int count = 0;
    size_t cells = 0;
    int shownRows = 0;
    bool full = false;
    auto read = book.ReadRows(0, [&](const WorkbookRow& row) {
        ++count;
        full = full || count > kSheetPageRows || cells + row.size() > kSheetPageCells;
        if (full) return;
        ++shownRows;
        cells += row.size();
        columns = std::max(columns, row.size());
        rows += "<tr><th>" + std::to_string(count) + "</th>";
        for (const WorkbookCell& cell : row) {
            bool number = cell.kind == WorkbookCell::Kind::Number;
            rows += number ? "<td class=\"n\">" : "<td>";
            rows += HtmlEscaped(CellText(cell)) + "</td>";
        }
        rows += "</tr>\n";
    });
    if (!read) return Page(name, "<p>" + HtmlEscaped(read.error()) + "</p>\n");
    // Column letters over the cells, as a spreadsheet shows them.
    std::string head = "<tr><th></th>";
    for (size_t c = 0; c < columns; ++c) {
        std::string letters;
        for (size_t n = c + 1; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), char('A' + (n - 1) % 26));
        head += "<th>" + letters + "</th>";
    }
    head += "</tr>\n";
    std::string more = count > shownRows ? "<p>" + std::to_string(count - shownRows) + " more rows are not shown.</p>\n"
                                         : std::string();
    return Page(name + " - " + sheetName,
                "<table id=\"sheet\" title=\"" + HtmlEscaped(sheetName) + "\">\n" + head + rows + "</table>\n" + more);
}

}  // namespace tidemark
