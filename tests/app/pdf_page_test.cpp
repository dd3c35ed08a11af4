// A PDF web screen's pages as the program draws them from the file it opened: one image
// per page in page order, fitted to the size asked for in the page's proportions, and a
// notice that says why when the file cannot be drawn or is too large.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "app/pdf_page.h"
#include "core/textfile.h"
#include "pages/opened_document.h"
#include "support/pdf_files.h"
#include "support/temp_folder.h"

using namespace tidemark;

namespace {

OpenedDocument Opened(const testsupport::TempFolder& folder, const std::string& name) {
    return OpenedDocument::Open(folder.File(name), {std::filesystem::canonical(folder.Path())});
}

}  // namespace

TEST(PdfPage, DrawsEveryPageInOrderToFitTheView) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(WriteFileAtomic(folder.File("two.pdf"), testsupport::SolidPagesPdf({"1 0 0", "0 0 1"})));
    const OpenedDocument file = Opened(folder, "two.pdf");
    ASSERT_TRUE(file.IsOpen());
    // The file's name is taken away once it is open: what is drawn is what was opened.
    std::filesystem::remove(folder.File("two.pdf"));
    PdfDrawing drawing = DrawPdf(file, "two.pdf", QSize(400, 300));
    ASSERT_EQ(drawing.pages.size(), 2u) << drawing.notice.toStdString();
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int page = 0; page < 2; ++page) {
        const QImage& image = drawing.pages[static_cast<size_t>(page)];
        // Letter paper is 612 x 792 points: the height is what limits it.
        EXPECT_EQ(image.size(), QSize(232, 300));
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), colours[page]);
    }
}

TEST(PdfPage, SaysWhyWhenTheFileCannotBeDrawn) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(WriteFileAtomic(folder.File("notes.pdf"), "these are notes, not a PDF"));
    PdfDrawing drawing = DrawPdf(Opened(folder, "notes.pdf"), "notes.pdf", QSize(400, 300));
    EXPECT_EQ(drawing.notice, "notes.pdf is not a PDF file");
    EXPECT_TRUE(drawing.pages.empty());
    EXPECT_TRUE(PdfNoticeHtml("<b>.pdf", drawing.notice).contains("&lt;b&gt;.pdf"));

    // Larger than the limit: refused from its size, before the drawing reads it.
    ASSERT_TRUE(WriteFileAtomic(folder.File("huge.pdf"), "%PDF-1.4\n"));
    std::filesystem::resize_file(folder.File("huge.pdf"), kPdfBytesLimit + 1);
    drawing = DrawPdf(Opened(folder, "huge.pdf"), "huge.pdf", QSize(400, 300));
    EXPECT_EQ(drawing.notice, "huge.pdf is larger than 64 MB");
}
