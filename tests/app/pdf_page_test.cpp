// A PDF web screen's pages as the program draws them: one image per page in page order,
// fitted to the size asked for in the page's proportions, and a page that says why when
// the file or the folder for the images fails.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include "app/pdf_page.h"
#include "core/textfile.h"
#include "support/pdf_files.h"
#include "support/temp_folder.h"

using namespace tidemark;

namespace {

QStringList ImageFiles(const QString& html) {
    QStringList files;
    QRegularExpression source("<img alt=\"\" src=\"file://([^\"]+)\">");
    for (auto it = source.globalMatch(html); it.hasNext();) files << it.next().captured(1);
    return files;
}

}  // namespace

TEST(PdfPage, DrawsEveryPageInOrderToFitTheView) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(WriteFileAtomic(folder.File("two.pdf"), testsupport::SolidPagesPdf({"1 0 0", "0 0 1"})));
    QString html = PdfPageHtml(QString::fromStdString(folder.File("two.pdf")), QString::fromStdString(folder.Path()),
                               QSize(400, 300));
    QStringList files = ImageFiles(html);
    ASSERT_EQ(files.size(), 2) << html.toStdString();
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int page = 0; page < 2; ++page) {
        QImage image(files[page]);
        ASSERT_FALSE(image.isNull()) << files[page].toStdString();
        // Letter paper is 612 x 792 points: the height is what limits it.
        EXPECT_EQ(image.size(), QSize(232, 300));
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), colours[page]);
    }
}

TEST(PdfPage, SaysWhyWhenTheFileOrTheFolderFails) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(WriteFileAtomic(folder.File("notes.pdf"), "these are notes, not a PDF"));
    QString pdf = QString::fromStdString(folder.File("notes.pdf"));
    QString html = PdfPageHtml(pdf, QString::fromStdString(folder.Path()), QSize(400, 300));
    EXPECT_TRUE(html.contains("notes.pdf is not a PDF file")) << html.toStdString();
    EXPECT_TRUE(ImageFiles(html).isEmpty());

    ASSERT_TRUE(WriteFileAtomic(folder.File("report.pdf"), testsupport::SolidPagesPdf({"1 0 0"})));
    html = PdfPageHtml(QString::fromStdString(folder.File("report.pdf")), QString::fromStdString(folder.File("gone")),
                       QSize(400, 300));
    EXPECT_TRUE(html.contains("The pages of report.pdf cannot be drawn")) << html.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder.File("gone"))));
}
