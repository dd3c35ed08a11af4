#include "publish/save_and_publish.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include "core/textfile.h"
#include "publish/image_names.h"
#include "storage/image/png_writer.h"

namespace tidemark {
namespace {

Result<void> WriteBitmap(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    // Bitmaps carry no alpha here: the page is opaque.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        return Fault{"Cannot encode " + path + " as a bitmap: " + writer.errorString().toStdString(), path};
    return WriteFileAtomic(path, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace

Result<void> WriteImageFile(const QImage& image, const std::string& path) {
    if (image.isNull()) return Fault{"Nothing was captured to write to " + path, path};
    if (IsPngPath(path)) return WritePng(image, path);
    return WriteBitmap(image, path);
}

bool PngWritingAvailable() {
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.fill(Qt::white);
    return !EncodePng(probe).empty();
}

bool SaveAndPublish(const QImage& image, const std::string& path, const PublishContext& context,
                    const PublishState& state, Host& host, const PublishHooks& hooks) {
    if (path.empty()) return false;
    Result<void> written = IsPngPath(path) && !context.pngAvailable
                               ? Fault{"PNG images cannot be written on this system; " + path + " was not saved"}
                               : WriteImageFile(image, path);
    if (!written) {
        host.Report({written.error(), path}, Severity::Warning);
        return false;
    }
    if (hooks.written) hooks.written(path);
    return PublishWrittenFile(path, context, state, host, hooks);
}

bool PublishWrittenFile(const std::string& path, const PublishContext& context, const PublishState& state, Host& host,
                        const PublishHooks& hooks) {
    if (path.empty()) return false;
    host.Yield();
    if (context.imageCycleMarker == 0) {
        if (!context.commandLineMode) host.Report({"Picture saved to file.", path}, Severity::Note);
        return true;
    }
    if (!state.ftp || !hooks.upload) {
        host.SetCaption("Saved... " + path);
        return true;
    }

    // A one-off publish and a command-line run keep paging while the file goes out.
    bool holdPaging = context.imageCycleMarker != -99 && !context.commandLineMode;
    if (holdPaging && hooks.stopPaging) hooks.stopPaging();
    host.SetCaption("FTP'ing... " + path);
    host.Yield();
    std::string remoteName = path.compare(0, context.programFolder.size(), context.programFolder) == 0
                                 ? path.substr(context.programFolder.size())
                                 : path;
    bool sent = hooks.upload(state, path, remoteName);
    host.Yield();
    host.SetCaption(host.Caption() + (sent ? " ...done" : " ...failed"));
    if (holdPaging && hooks.restartPaging) hooks.restartPaging();
    return true;
}

}  // namespace tidemark
