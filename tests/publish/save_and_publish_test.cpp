#include <gtest/gtest.h>

#include <QImage>
#include <future>
#include <string>
#include <vector>

#include "core/textfile.h"
#include "publish/image_file_queue.h"
#include "publish/save_and_publish.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

using namespace tidemark;
using testsupport::TempFolder;

namespace {

QImage Page() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(0xE4, 0xE9, 0xF0));
    for (int x = 0; x < 40; ++x) image.setPixelColor(x, 10, Qt::blue);
    return image;
}

}  // namespace

TEST(SaveAndPublish, WritesPngOrBitmapByName) {
    TempFolder folder;
    Result<void> png = WriteImageFile(Page(), folder.File("page.png"));
    ASSERT_TRUE(png) << png.error();
    Result<void> bmp = WriteImageFile(Page(), folder.File("page.bmp"));
    ASSERT_TRUE(bmp) << bmp.error();
    auto pngBytes = ReadFileBytes(folder.File("page.png"));
    auto bmpBytes = ReadFileBytes(folder.File("page.bmp"));
    ASSERT_TRUE(pngBytes && bmpBytes);
    EXPECT_EQ(pngBytes->substr(1, 3), "PNG");
    EXPECT_EQ(bmpBytes->substr(0, 2), "BM");
    QImage back(QString::fromStdString(folder.File("page.bmp")));
    ASSERT_EQ(back.size(), QSize(40, 30));
    EXPECT_EQ(back.pixelColor(5, 10), QColor(Qt::blue));
    EXPECT_EQ(back.pixelColor(5, 2), QColor(0xE4, 0xE9, 0xF0));

    // A folder that does not exist: a message, no file.
    Result<void> missing = WriteImageFile(Page(), folder.File("missing/page.png"));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error().empty());
    EXPECT_TRUE(PngWritingAvailable());
}

TEST(SaveAndPublish, ReportsByMode) {
    TempFolder folder;
    PublishState state;
    RecordingHost host;
    PublishContext context;
    context.programFolder = folder.Path();
    std::vector<std::string> written;
    PublishHooks hooks;
    hooks.written = [&](const std::string& p) { written.push_back(p); };

    // Interactive: a message box.
    ASSERT_TRUE(SaveAndPublish(Page(), folder.File("a.png"), context, state, host, hooks));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Picture saved to file."});
    // Interactive in command-line mode: quiet.
    context.commandLineMode = true;
    ASSERT_TRUE(SaveAndPublish(Page(), folder.File("b.png"), context, state, host, hooks));
    EXPECT_EQ(host.messages.size(), 1u);
    // Image cycle: the caption.
    context.imageCycleMarker = 2;
    ASSERT_TRUE(SaveAndPublish(Page(), folder.File("c.png"), context, state, host, hooks));
    EXPECT_EQ(host.Caption(), "Saved... " + folder.File("c.png"));
    EXPECT_EQ(written.size(), 3u);

    // Nothing to write to, or a failed write: nothing written, the fault reported.
    EXPECT_FALSE(SaveAndPublish(Page(), "", context, state, host, hooks));
    EXPECT_FALSE(SaveAndPublish(Page(), folder.File("none/d.png"), context, state, host, hooks));
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(written.size(), 3u);
    // PNG writing unavailable: said so rather than reported as saved.
    context.pngAvailable = false;
    EXPECT_FALSE(SaveAndPublish(Page(), folder.File("e.png"), context, state, host, hooks));
    EXPECT_FALSE(FileExists(folder.File("e.png")));
}

TEST(SaveAndPublish, UploadsUnderTheNameInsideTheProgramFolder) {
    TempFolder folder;
    PublishState state;
    state.ftp = true;
    RecordingHost host;
    PublishContext context;
    context.programFolder = folder.Path();
    context.imageCycleMarker = 1;
    std::string remote;
    std::vector<std::string> calls;
    PublishHooks hooks;
    hooks.upload = [&](const PublishState&, const std::string&, const std::string& r) {
        remote = r;
        return true;
    };
    hooks.stopPaging = [&] { calls.push_back("stop"); };
    hooks.restartPaging = [&] { calls.push_back("restart"); };
    std::string path = folder.File("Tidemark_window4.png");
    ASSERT_TRUE(SaveAndPublish(Page(), path, context, state, host, hooks));
    EXPECT_EQ(remote, "Tidemark_window4.png");
    EXPECT_EQ(host.Caption(), "FTP'ing... " + path + " ...done");
    EXPECT_EQ(calls, (std::vector<std::string>{"stop", "restart"}));

    // A failed upload says so; a command-line run keeps paging meanwhile.
    hooks.upload = [](const PublishState&, const std::string&, const std::string&) { return false; };
    context.commandLineMode = true;
    calls.clear();
    ASSERT_TRUE(SaveAndPublish(Page(), path, context, state, host, hooks));
    EXPECT_EQ(host.Caption(), "FTP'ing... " + path + " ...failed");
    EXPECT_TRUE(calls.empty());
}

// Images queued for the writing thread come out as WriteImageFile writes them, each
// with its own result, also when one of them cannot be written, and the queue's end
// waits for what is still queued.
TEST(ImageFileQueue, WritesEachImageAsWriteImageFileDoesWithItsOwnResult) {
    TempFolder folder;
    QImage first = Page();
    first.setPixelColor(0, 0, Qt::red);
    ASSERT_TRUE(WriteImageFile(first, folder.File("alone.png")));
    std::vector<std::future<Result<void>>> written;
    {
        ImageFileQueue queue;
        for (int i = 0; i < 6; ++i) {
            QImage image = Page();
            image.setPixelColor(i, 0, Qt::red);
            written.push_back(queue.Write(image, folder.File("page" + std::to_string(i) + ".png")));
        }
        written.push_back(queue.Write(Page(), folder.File("no such folder/page.png")));
        written.push_back(queue.Write(Page(), folder.File("last.bmp")));
    }
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(written[static_cast<size_t>(i)].get()) << i;
        QImage back(QString::fromStdString(folder.File("page" + std::to_string(i) + ".png")));
        EXPECT_EQ(back.pixelColor(i, 0), QColor(Qt::red)) << i;
    }
    Result<void> missing = written[6].get();
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().find("no such folder"), std::string::npos) << missing.error();
    EXPECT_TRUE(written[7].get());
    EXPECT_EQ(ReadFileBytes(folder.File("page0.png")), ReadFileBytes(folder.File("alone.png")));
    EXPECT_TRUE(ReadFileBytes(folder.File("last.bmp")));
}
