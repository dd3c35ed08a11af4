#pragma once
// The frame of a PDF file around its objects: header, numbered objects, the cross-reference
// table and the trailer. The demo's report and the tests' PDFs are written with it.
#include <string>
#include <vector>

namespace tidemark::demo {

// Object i (from 0) becomes object number i + 1; the first must be the catalogue.
std::string PdfFile(const std::vector<std::string>& objects);

}  // namespace tidemark::demo
