#pragma once
// A workbook shown on a web screen: the browser engine cannot show .xls or .xlsx, so the
// first sheet is read with the program's workbook reader and shown as an HTML table.
#include <string>

#include "pages/document_limits.h"

namespace tidemark {

class OpenedDocument;

// The page for workbook `file` (named `name` on the page): its first sheet as a table, at
// most kSheetPageRows rows and kSheetPageCells cells (document_limits.h); a workbook that cannot be read, or
// that is larger than the limits (a few kilobytes of .xlsx can unpack to gigabytes),
// gives a page that says why.
std::string SheetPageHtml(const OpenedDocument& file, const std::string& name);

}  // namespace tidemark
