#include "support/pdf_files.h"

#include "pdf_file.h"

namespace tidemark::testsupport {

std::string SolidPagesPdf(const std::vector<std::string>& fills) {
    // Objects 1 and 2 are the catalogue and the page tree; each page is followed by its
    // contents.
    std::string kids;
    for (size_t i = 0; i < fills.size(); ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(fills.size()) + " >>",
    };
    for (size_t i = 0; i < fills.size(); ++i) {
        std::string content = fills[i] + " rg 0 0 612 792 re f";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " +
                          std::to_string(4 + 2 * i) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    return demo::PdfFile(objects);
}

}  // namespace tidemark::testsupport
