#pragma once
// A workbook shown on a web screen: the browser engine cannot show .xls or .xlsx, so the
// first sheet is read with the program's workbook reader and shown as an HTML table.
#include <string>

namespace tidemark {

// The page for the workbook at `path` (file system bytes): its first sheet as a table,
// at most kSheetPageRows rows; a workbook that cannot be read gives a page that says why.
inline constexpr int kSheetPageRows = 2000;
std::string SheetPageHtml(const std::string& path);

}  // namespace tidemark
