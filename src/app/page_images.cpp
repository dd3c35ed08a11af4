#include "app/page_images.h"

#include <QFileDialog>
#include <QWidget>
#include <filesystem>
#include <iostream>
#include <utility>

#include "app/console_host.h"
#include "devices/ui/chart_painter.h"
#include "publish/graph_cells.h"
#include "publish/image_names.h"
#include "publish/site_files.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

// What a cancelled save dialog reports: cancelling ends the save as a failure does.
constexpr const char* kSaveCancelled = "Cancel was selected.";

QStringList QtFilters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList patterns;
        for (const std::string& p : f.patterns) patterns << QString::fromStdString(p == "*.*" ? "*" : p);
        // The description is shown as it is; the patterns in the last brackets select.
        out << QString::fromStdString(f.description) + " (" + patterns.join(' ') + ")";
    }
    return out;
}

// Whether the image belongs to a round of the image cycle (not a one-off or interactive save).
bool InRound(const PublishContext& context) { return context.imageCycleMarker != 0 && context.imageCycleMarker != -99; }

}  // namespace

PageImages::PageImages(ProgramState& state, Host& host, PageScreen& screen, PageImageWindow& window,
                       const PublishingController& publishing, bool printWrittenImages)
    : state_(state), host_(host), screen_(screen), window_(window), publishing_(publishing),
      printWrittenImages_(printWrittenImages), pngAvailable_(PngWritingAvailable()) {}

const PublishState& PageImages::Publishing() const { return publishing_.State(); }

std::optional<std::string> PageImages::AskFileName() {
    QWidget& parent = window_.DialogParent();
    QFileDialog dialog(&parent, "Save page image", ProgramText(state_.programFolder));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters = QtFilters(ParseFileFilter(kSaveDialogFilter));
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix("png");
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.startsWith("Bmp") ? "bmp" : "png");
    });
    dialog.selectFile(QString(kInteractiveImageName) + ".png");
    parent.repaint();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    parent.repaint();
    host_.Yield();
    QByteArray name = dialog.selectedFiles().first().toLocal8Bit();
    return std::string(name.constData(), static_cast<size_t>(name.size()));
}

PublishContext PageImages::Context() const {
    PublishContext context;
    context.imageCycleMarker = state_.imageCycleMarker;
    context.commandLineMode = CommandLineMode();
    context.pngAvailable = pngAvailable_;
    context.programFolder = state_.programFolder;
    return context;
}

PublishHooks PageImages::Hooks() {
    PublishHooks hooks;
    // The paging timer is held while an image goes out.
    hooks.stopPaging = [this] { screen_.StopPagingTimer(); };
    hooks.restartPaging = [this] { screen_.RestartPagingTimer(); };
    if (publishing_.HasUpload()) hooks.upload = publishing_.Upload();
    hooks.written = [this](const std::string& path) {
        if (CommandLineMode() && printWrittenImages_)
            std::cout << ConsoleHost::OneLine("Saved... " + path) << std::endl;
        window_.ImageSaved(path);
    };
    return hooks;
}

void PageImages::Publish(const QImage& image, const std::string& path, const PublishContext& context,
                         const PublishHooks& hooks, int slot) {
    // Sending is meant whenever publishing says so, also when the program has no client
    // to send with: the image then stays here and has not arrived.
    bool sent = !Publishing().ftp || context.imageCycleMarker == 0;
    PublishHooks counted = hooks;
    if (hooks.upload)
        counted.upload = [&sent, &hooks](const PublishState& s, const std::string& file, const std::string& remote) {
            sent = hooks.upload(s, file, remote);
            return sent;
        };
    const bool written = SaveAndPublish(image, path, context, Publishing(), host_, counted);
    const bool arrived = written && sent && !Publishing().settingsUnreadable;
    Count(context, arrived);
    window_.ImagePublished(path, arrived);
    // The web page tells, for an image that did not arrive, what the site still holds.
    if (InRound(context) && !round_.empty())
        round_.back().images.push_back(
            {std::filesystem::path(path).filename().string(), image.width(), image.height(), slot, arrived});
    // Nobody reads the caption of an unattended run: the upload's outcome goes where the
    // written paths go.
    if (CommandLineMode() && printWrittenImages_ && Publishing().ftp && context.imageCycleMarker != 0)
        std::cout << ConsoleHost::OneLine(host_.Caption()) << std::endl;
}

void PageImages::Count(const PublishContext& context, bool arrived) {
    if (context.imageCycleMarker == 0) return;
    ++tally_.images;
    if (arrived) return;
    ++tally_.missed;
}

void PageImages::BeginRoundPage(const PublishContext& context) {
    if (!InRound(context)) return;
    // A negative marker: this is the first page of a new round.
    if (context.imageCycleMarker < 0) round_.clear();
    if (round_.empty()) roundStart_ = std::time(nullptr);
    round_.push_back(PublishedPageOf(state_, window_.Drawn(), state_.currentpage));
    round_.back().documents = window_.DocumentsOf(state_.currentpage);
}

void PageImages::PublishSiteFile(const std::string& path, const PublishContext& context, const PublishHooks& hooks) {
    bool sent = !Publishing().ftp || !hooks.upload;
    PublishHooks counted = hooks;
    if (hooks.upload)
        counted.upload = [&sent, &hooks](const PublishState& s, const std::string& file, const std::string& remote) {
            sent = hooks.upload(s, file, remote);
            return sent;
        };
    if (CommandLineMode() && printWrittenImages_) std::cout << ConsoleHost::OneLine("Saved... " + path) << std::endl;
    PublishWrittenFile(path, context, Publishing(), host_, counted);
    if (!sent) ++tally_.siteFilesMissed;
    if (CommandLineMode() && printWrittenImages_ && Publishing().ftp)
        std::cout << ConsoleHost::OneLine(host_.Caption()) << std::endl;
}

void PageImages::FinishRound(int pageSeconds) {
    std::vector<PublishedPage> pages = std::move(round_);
    round_.clear();
    std::string folder = std::filesystem::path(Publishing().imageBasePath).parent_path().string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    // A round killed in the middle of a write left its temporary file in the folder the
    // images are published in, where no start looks.
    if (!pages.empty() && !folder.empty()) RemoveStaleSiteTemps(folder, roundStart_);
    if (pages.empty()) return;
    PublishSiteFiles(pages, folder, pageSeconds);
    // And on the server, where uploads cut off left theirs.
    if (Publishing().ftp && publishing_.Sweep()) publishing_.Sweep()(Publishing(), roundStart_);
}

void PageImages::PublishSiteFiles(const std::vector<PublishedPage>& pages, const std::string& folder, int pageSeconds) {
    if (!SiteTemplateExists(state_.programFolder)) return;
    Result<SiteFilesWritten> files =
        WriteSiteFiles(state_.programFolder, folder, pages, RoundSeconds(pageSeconds, pages.size()), host_.Now());
    if (!files) {
        host_.Report(files.fault(), Severity::Warning);
        ++tally_.siteFilesMissed;
        return;
    }
    if (!files->warning.empty()) host_.Report({files->warning}, Severity::Warning);
    PublishContext context = Context();
    // The files follow the round's images, whatever the marker has become since.
    if (context.imageCycleMarker == 0) context.imageCycleMarker = state_.currentpage > 0 ? state_.currentpage : 1;
    PublishHooks hooks = Hooks();
    for (const std::string& path : files->paths) PublishSiteFile(path, context, hooks);
}

void PageImages::Save() {
    if (screen_.WindowClosed()) return;
    host_.Yield();
    const int shown = state_.currentpage;
    QImage page = window_.CaptureClientArea();
    PublishContext context = Context();
    // Turned while the capture waited for the window to paint: the image shows the page
    // turned from, not the one its name would say. The round saves that page when it
    // comes round again.
    if (InRound(context) && state_.currentpage != shown) return;
    PublishHooks hooks = Hooks();
    BeginRoundPage(context);

    if (state_.imageCycleMarker == 0) {
        std::optional<std::string> name = AskFileName();
        if (!name) {
            host_.Message(kSaveCancelled, MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        Publish(page, *name, context, hooks);
        return;
    }
    // The site's template may ask for the graphs one by one beside the whole page, for
    // narrow screens.
    const bool graphPictures = InRound(context) && SiteAsksForGraphPictures(state_.programFolder);
    if (!Publishing().saveEachGraph || graphPictures)
        Publish(page, PageImagePath(Publishing().imageBasePath, state_.currentpage), context, hooks);
    if ((Publishing().saveEachGraph || graphPictures) && !screen_.WindowClosed()) SaveEachGraph(page, context, hooks);
}

std::vector<PixelCrop> GraphCropsOf(const PageRec* page, const PageGeometry& layout, const QImage& image) {
    GraphCellsInput cells;
    cells.graphCount = layout.graphCount;
    cells.W = layout.W;
    cells.H = layout.H;
    cells.imageWidth = image.width();
    cells.imageHeight = image.height();
    if (page) {
        for (int s = 0; s < kLayoutSlots; ++s) {
            SlotKind kind = page->slots[static_cast<size_t>(s)].Kind();
            cells.used[static_cast<size_t>(s)] = kind != SlotKind::Empty;
            cells.webScreen[static_cast<size_t>(s)] = kind == SlotKind::WebScreen;
        }
    }
    return GraphCrops(cells);
}

void PageImages::SaveEachGraph(const QImage& page, const PublishContext& context, const PublishHooks& hooks) {
    int p = state_.currentpage;
    bool known = state_.pages.ValidPage(p) && static_cast<size_t>(p) < state_.pages.pages.size();
    for (const PixelCrop& crop : GraphCropsOf(known ? &state_.pages.Page(p) : nullptr, window_.LastLayout(), page)) {
        QImage graph = page.copy(crop.left, crop.top, crop.width, crop.height);
        Publish(graph, GraphImagePath(Publishing().imageBasePath, p, crop.slot), context, hooks, crop.slot);
        if (screen_.WindowClosed()) return;
    }
}

}  // namespace tidemark
