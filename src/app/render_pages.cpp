#include "app/render_pages.h"

#include <QApplication>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console_host.h"
#include "app/ftp_upload.h"
#include "app/main_window.h"
#include "app/web_screens.h"
#include "app/window_main.h"
#include "core/daynum.h"
#include "core/vbtext.h"
#include "devices/web/web_engine.h"
#include "publish/image_file_queue.h"
#include "publish/image_names.h"
#include "publish/publish_settings.h"
#include "publish/save_and_publish.h"
#include "publish/site_files.h"
#include "render/render_state.h"

namespace tidemark {
namespace {

// The page's refresh when the setup names no page time.
constexpr int kDefaultPageSeconds = 60;

// The render is offscreen even with a display: nothing is shown, and the screen (1920 x
// 1080 unless QT_QPA_PLATFORM names one) is the size the pages are drawn for.
void UseOffscreenPlatform() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform).rfind("offscreen", 0) != 0) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The publishing settings file as an unattended start confirms it, except that the
// images go to the output folder: FTP when the file names a web site and a password is
// given, otherwise the images stay in the output folder.
PublishState PublishingFor(const std::string& programFolder, const std::string& outFolder, const std::string& password,
                           bool eachGraph) {
    PublishSettingsFile file = ReadPublishSettings(programFolder);
    // The render goes on as without the file.
    if (!file.fault.empty()) std::cerr << ConsoleHost::OneLine(file.fault) << std::endl;
    PublishChoice choice;
    choice.address = file.address;
    choice.folder = file.folder;
    choice.user = file.user;
    choice.password = password;
    choice.saveEachGraph = eachGraph;
    choice.ftp = !password.empty() && !Trim(file.address).empty() && !IsLocalFolderAddress(file.address);
    PublishState state;
    int marker = 0;
    ConfirmPublishing(choice, outFolder, true, state, marker);
    state.imageBasePath = outFolder + kImageBaseFileName;
    // Asked to send, without knowing where: the render cannot end as done.
    state.settingsUnreadable = !file.fault.empty() && !password.empty();
    return state;
}

class PageRender {
public:
    PageRender(const CommandLine& cl, const std::string& programFolder, MainWindow& window, ProgramState& state)
        : window_(window), state_(state),
          publish_(PublishingFor(programFolder, cl.renderPages, cl.password, cl.eachGraph)),
          graphPictures_(SiteAsksForGraphPictures(programFolder)) {
        context_.imageCycleMarker = -2;  // the images of an unattended round
        context_.commandLineMode = true;
        context_.pngAvailable = PngWritingAvailable();
        // Remote names are relative to the folder the images are written in.
        context_.programFolder = cl.renderPages;
        hooks_.written = [](const std::string& path) {
            std::cout << ConsoleHost::OneLine("Saved... " + path) << std::endl;
        };
        if (publish_.ftp) {
            UploadFunction upload =
                MakeFtpUpload([this] { window_.Yield(); }, [this](const std::string& why) { uploadFault_ = why; });
            hooks_.upload = [this, upload](const PublishState& s, const std::string& path, const std::string& remote) {
                uploadFault_.clear();
                bool sent = upload(s, path, remote);
                if (!sent) {
                    Fail("Cannot send " + path + " to " + s.ftpAddress + ": " + uploadFault_);
                    ++filesMissed_;
                } else if (!uploadFault_.empty()) {
                    // What a file that arrived has to tell: how the server replaces files.
                    std::cerr << ConsoleHost::OneLine(uploadFault_) << std::endl;
                }
                return sent;
            };
        }
    }

    // Every page that is not removed, in page order; false when anything failed.
    bool Run() {
        if (publish_.settingsUnreadable) ok_ = false;
        const std::time_t started = std::time(nullptr);
        for (int p = 1; p <= state_.pages.pagecount && !window_.HasClosed(); ++p) {
            if (!Rendered(p)) continue;
            PrepareWebScreensAfter(p);
            RenderPage(p);
        }
        PublishWrittenImages();
        if (!window_.HasClosed()) PublishSitePage();
        // On the server too, where uploads cut off left theirs; tidying that fails leaves
        // what was published as it is.
        if (publish_.ftp && !window_.HasClosed())
            MakeRemoteSweep([this] { window_.Yield(); },
                            [](const std::string& why) { std::cerr << ConsoleHost::OneLine(why) << std::endl; })(
                publish_, started);
        // A render killed in the middle of a write left its temporary file in the folder.
        RemoveStaleSiteTemps(context_.programFolder, started);
        return ok_;
    }

private:
    // Pages the round leaves out of publishing are left out here too.
    bool Rendered(int p) const {
        const PageRec& page = state_.pages.Page(p);
        return !page.removed && !page.ftpoff;
    }

    // The web screens of the pages still to come paint while this one is drawn: the
    // documents that have loaded by now are made ready, the others when they have.
    void PrepareWebScreensAfter(int p) {
        for (int later = p + 1; later <= state_.pages.pagecount; ++later)
            if (Rendered(later)) window_.PrepareWebScreensAhead(later);
    }

    void RenderPage(int p) {
        state_.currentpage = static_cast<int16_t>(p);
        window_.DrawCurrentPage();
        for (const std::string& fault : window_.Render().pageFaults)
            Fail("Page " + std::to_string(p) + " could not be drawn: " + fault);
        QImage image = window_.CaptureClientArea();
        // The last page's images were written while this one was drawn.
        PublishWrittenImages();
        if (image.isNull()) {
            Fail("Page " + std::to_string(p) + " could not be captured");
            return;
        }
        round_.push_back(PublishedPageOf(state_, window_.Render(), p));
        round_.back().documents = window_.Web().DocumentsOf(p);
        Publish(image, PageImagePath(publish_.imageBasePath, p));
        if (!publish_.saveEachGraph && !graphPictures_) return;
        for (const PixelCrop& crop : GraphCropsOf(&state_.pages.Page(p), window_.LastLayout(), image))
            Publish(image.copy(crop.left, crop.top, crop.width, crop.height),
                    GraphImagePath(publish_.imageBasePath, p, crop.slot), crop.slot);
    }

    // Queues the image to be written on the writing thread; it is published once written.
    void Publish(const QImage& image, const std::string& path, int slot = -1) {
        if (IsPngPath(path) && !context_.pngAvailable) {
            // Told as the interactive save tells it.
            SaveAndPublish(image, path, context_, publish_, window_, hooks_);
            Missed();
            return;
        }
        PublishedImage shown{std::filesystem::path(path).filename().string(), image.width(), image.height(), slot};
        queued_.push_back({files_.Write(image, path), path, shown, round_.size() - 1});
    }

    // The images queued so far, as they are written: said, sent, and named on the web
    // page, in the order they were drawn.
    void PublishWrittenImages() {
        for (; !queued_.empty(); queued_.pop_front()) {
            QueuedImage& queued = queued_.front();
            Result<void> written = queued.written.get();
            const int missedBefore = filesMissed_;
            if (written) {
                if (hooks_.written) hooks_.written(queued.path);
                PublishWrittenFile(queued.path, context_, publish_, window_, hooks_);
            } else {
                // A file that cannot be written is told on standard error by the window.
                window_.Report({written.error(), queued.path}, Severity::Warning);
                Missed();
            }
            queued.shown.arrived = filesMissed_ == missedBefore;
            round_[queued.page].images.push_back(queued.shown);
            if (publish_.ftp) std::cout << ConsoleHost::OneLine(window_.Caption()) << std::endl;
        }
    }

    void Missed() {
        ok_ = false;
        ++filesMissed_;
    }

    // The web page and the data feed, after every image is out, when the program folder
    // holds the page's template.
    void PublishSitePage() {
        if (round_.empty() || !SiteTemplateExists(state_.programFolder)) return;
        double pageSeconds = Val(state_.settings.pageseconds);
        int seconds =
            RoundSeconds(pageSeconds >= 1 ? static_cast<int>(pageSeconds) : kDefaultPageSeconds, round_.size());
        Result<SiteFilesWritten> files =
            WriteSiteFiles(state_.programFolder, context_.programFolder, round_, seconds, window_.Now());
        if (!files) {
            Fail(files.error() + (files.fault().file.empty() ? "" : " (" + files.fault().file + ")"));
            return;
        }
        if (!files->warning.empty()) std::cerr << ConsoleHost::OneLine(files->warning) << std::endl;
        for (const std::string& path : files->paths) {
            if (hooks_.written) hooks_.written(path);
            PublishWrittenFile(path, context_, publish_, window_, hooks_);
            if (publish_.ftp) std::cout << ConsoleHost::OneLine(window_.Caption()) << std::endl;
        }
    }

    void Fail(const std::string& why) {
        std::cerr << ConsoleHost::OneLine(why) << std::endl;
        ok_ = false;
    }

    MainWindow& window_;
    ProgramState& state_;
    PublishState publish_;
    // The site's template asks for the graphs one by one beside each whole page.
    bool graphPictures_;
    PublishContext context_;
    PublishHooks hooks_;
    std::string uploadFault_;
    std::vector<PublishedPage> round_;
    // An image on its way to its file, and where it goes on the web page.
    struct QueuedImage {
        std::future<Result<void>> written;
        std::string path;
        PublishedImage shown;
        size_t page;  // in round_
    };
    ImageFileQueue files_;
    std::deque<QueuedImage> queued_;
    int filesMissed_ = 0;
    bool ok_ = true;
};

}  // namespace

int RunRenderPages(const CommandLine& cl, const std::string& programFolder, int argc, char** argv) {
    std::error_code ec;
    std::filesystem::create_directories(cl.renderPages, ec);
    if (!std::filesystem::is_directory(cl.renderPages, ec)) {
        std::cerr << ConsoleHost::OneLine("tidemark: cannot make the folder " + cl.renderPages + " for the page images")
                  << std::endl;
        return kExitFailure;
    }
    UseOffscreenPlatform();
    std::unique_ptr<QApplication> application = StartApplication(argc, argv);
    ShareOneRendererProcess();
    application->setApplicationName("Tidemark");
    application->setQuitOnLastWindowClosed(false);

    ProgramState state;
    state.programFolder = programFolder;
    // Drawn as an unattended start draws: no message boxes, no warning blink.
    state.autostartseconds = 1;
    WindowOptions options;
    if (!cl.now.empty()) options.fixedNow = ParseDateTimeText(cl.now);
    options.password = cl.password;
    options.headless = true;
    options.oneShot = true;
    options.printWrittenImages = false;
    // The engine's libraries are mapped on the second core while the graphs load, once the
    // setup says there are web screens. Not sooner: the loader holds one lock for every
    // library, and the window and the database driver would wait for it.
    std::jthread enginePreload;
    options.setupRead = [&enginePreload](const ProgramState& loaded) {
        if (NeedsBrowserEngine(loaded)) enginePreload = PreloadWebEngine();
    };

    MainWindow window(state, options);
    if (int status = window.Open(); status != 0) return status;
    PageRender render(cl, programFolder, window, state);
    return render.Run() ? kExitSuccess : kExitFailure;
}

}  // namespace tidemark
