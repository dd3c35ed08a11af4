#pragma once
// Local PDFs and workbooks on web screens, drawn by the program from the file it opened
// and checked: a workbook's first sheet as a table, a PDF's pages as images (drawn again
// only when the file or the screen's size changed, as every layout pass shows them anew).
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "pages/document_access.h"

namespace tidemark {

class Browser;
class DocumentBrowser;

class DrawnDocuments {
public:
    // Shows the local document at `path` (the address `address` named, checked as
    // allowed) in `browser`, sized for a screen of `screenPixels`; what became of opening
    // it, Allowed when it is shown.
    DocumentAccess Show(DocumentBrowser& browser, const QString& address, const std::filesystem::path& path,
                        const DocumentRule& rule, QSize screenPixels);
    // The browser is gone or shows another kind of document.
    void Forget(const Browser* browser) { pdfs_.erase(browser); }

private:
    struct PdfDrawn {
        std::string realPath;
        QSize pixels;
        std::uint64_t bytes = 0;
        std::filesystem::file_time_type modified;
        std::vector<QImage> pages;
        QString notice;
    };
    void ShowPdf(DocumentBrowser& browser, const QString& address, const OpenedDocument& file, QSize pixels);

    std::map<const Browser*, PdfDrawn> pdfs_;
};

}  // namespace tidemark
