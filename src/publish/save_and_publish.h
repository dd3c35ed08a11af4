#pragma once
// Writing a captured image to its file and publishing it: left in its folder with the
// path in the caption (unattended), sent by FTP when publishing says so, or confirmed
// with a message (interactive saves).
#include <QImage>
#include <functional>
#include <string>

#include "core/host.h"
#include "core/result.h"
#include "publish/publish_settings.h"

namespace tidemark {

// Writes the image: PNG when the path names a PNG file (IsPngPath), else the bitmap
// file format. The file is replaced whole or left as it was.
Result<void> WriteImageFile(const QImage& image, const std::string& path);

// Whether PNG files can be written at all (the encoder works); checked at start.
bool PngWritingAvailable();

struct PublishContext {
    int imageCycleMarker = 0;      // 0 = an interactive save
    bool commandLineMode = false;  // no message boxes
    bool pngAvailable = true;
    std::string programFolder;
};

struct PublishHooks {
    // Sends the file under its name relative to the program folder; true when it
    // arrived. Empty while the program has no FTP client: the file then stays where it
    // was written.
    std::function<bool(const PublishState& state, const std::string& path, const std::string& remoteName)> upload;
    // The auto-paging timer is held while an upload runs.
    std::function<void()> stopPaging;
    std::function<void()> restartPaging;
    // Every file written, with its path.
    std::function<void(const std::string& path)> written;
};

// Writes the image under `path` and publishes it. An empty path writes nothing. A
// failure is reported through the host (which keeps quiet in command-line mode) and
// the result is false.
bool SaveAndPublish(const QImage& image, const std::string& path, const PublishContext& context,
                    const PublishState& state, Host& host, const PublishHooks& hooks = {});

// The publishing half for a file already written at `path`: confirmed, left in its
// folder with its path in the caption, or sent when publishing says so. False only for
// an empty path.
bool PublishWrittenFile(const std::string& path, const PublishContext& context, const PublishState& state, Host& host,
                        const PublishHooks& hooks = {});

}  // namespace tidemark
