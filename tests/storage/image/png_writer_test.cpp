#include "storage/image/png_writer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace tidemark {
namespace {

TEST(PngWriter, WritesWhatIsReadBack) {
    QImage image(37, 11, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 7, y * 20, (x * y) % 256));
    QImage back = QImage::fromData(QByteArray::fromStdString(EncodePng(image)), "PNG");
    ASSERT_FALSE(back.isNull());
    EXPECT_FALSE(back.hasAlphaChannel());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);

    QImage translucent(5, 4, QImage::Format_ARGB32);
    translucent.fill(qRgba(200, 100, 50, 77));
    translucent.setPixel(1, 1, qRgba(0, 0, 0, 0));
    back = QImage::fromData(QByteArray::fromStdString(EncodePng(translucent)), "PNG");
    ASSERT_TRUE(back.hasAlphaChannel());
    EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), translucent);
    EXPECT_TRUE(EncodePng(QImage()).empty());
}

TEST(PngWriter, WritesFilesWholeOrNotAtAll) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    std::string path = dir.filePath("page.png").toStdString();
    Result<void> written = WritePng(image, path);
    ASSERT_TRUE(written) << written.error();
    EXPECT_EQ(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32), image);

    std::string missing = dir.filePath("no/such/folder/page.png").toStdString();
    Result<void> refused = WritePng(image, missing);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(refused.error().empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missing)));
    EXPECT_FALSE(WritePng(QImage(), dir.filePath("empty.png").toStdString()));
}

}  // namespace
}  // namespace tidemark
