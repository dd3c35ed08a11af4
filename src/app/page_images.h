#pragma once
// Page images: the client area captured after the page has painted, written whole or
// cut into one image per graph, under the names of the image cycle or the one the user
// picks, and handed to publishing. The window owns it and gives it its PageScreen, and
// what page images need beyond that through PageImageWindow.
#include <QImage>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/page_screen.h"
#include "app/publishing_controller.h"
#include "core/host.h"
#include "data/program_state.h"
#include "publish/graph_cells.h"
#include "publish/page_readings.h"
#include "publish/publish_settings.h"
#include "publish/save_and_publish.h"

class QWidget;

namespace tidemark {

// What the last layout pass made of the page, for cutting graph images.
struct PageGeometry {
    double W = 0, H = 0;  // twips
    int graphCount = 1;
};

// The graph cells of a page as the window laid it out, as the image cycle cuts them
// from the captured image; no page (one not in the set) counts as all slots empty.
std::vector<PixelCrop> GraphCropsOf(const PageRec* page, const PageGeometry& layout, const QImage& image);

// What page images need of the window beyond its PageScreen.
class PageImageWindow {
public:
    virtual ~PageImageWindow() = default;

    // The client area as it shows once pending paints are done.
    virtual QImage CaptureClientArea() = 0;
    // The save dialog's parent, repainted around the dialog.
    virtual QWidget& DialogParent() = 0;
    virtual PageGeometry LastLayout() const = 0;
    virtual void ImageSaved(const std::string& path) = 0;
    // What drawing the current page left: its values and warnings, for the web page.
    virtual const RenderState& Drawn() const = 0;
    // The web screens of page `page` as the web page tells them.
    virtual std::vector<PublishedDocument> DocumentsOf(int page) = 0;
    // An image went out (written, and sent when publishing sends it: `arrived`) or did not.
    virtual void ImagePublished(const std::string& path, bool arrived) = 0;
};

// The images of the image cycle so far, and how many of them did not reach their place:
// not written, or written but not sent when publishing sends them.
struct ImageTally {
    int images = 0;
    int missed = 0;
    // The web page and feed files that did not reach their place.
    int siteFilesMissed = 0;
};

class PageImages {
public:
    // printWrittenImages: command-line mode prints each path written (and each upload's
    // outcome) on standard output.
    PageImages(ProgramState& state, Host& host, PageScreen& screen, PageImageWindow& window,
               const PublishingController& publishing, bool printWrittenImages);

    // The interactive save (image-cycle marker 0) or the cycle's image of the current page.
    void Save();
    const PublishState& Publishing() const;
    // Whether PNG files can be written at all (checked once, at construction).
    bool PngAvailable() const { return pngAvailable_; }
    const ImageTally& CycleTally() const { return tally_; }
    // The round's images are all out: the web page and the data feed follow them, when
    // the program folder holds the page's template, telling what the site holds (an
    // image that did not arrive is told by the values of the one the site kept). Each
    // page was shown `pageSeconds`. Then the temporary files that writes and uploads of
    // earlier rounds left are removed, in the folder and on the server.
    void FinishRound(int pageSeconds);

private:
    bool CommandLineMode() const { return state_.autostartseconds != 0; }
    PublishContext Context() const;
    PublishHooks Hooks();
    std::optional<std::string> AskFileName();
    void Publish(const QImage& image, const std::string& path, const PublishContext& context, const PublishHooks& hooks,
                 int slot = -1);
    void BeginRoundPage(const PublishContext& context);
    void PublishSiteFiles(const std::vector<PublishedPage>& pages, const std::string& folder, int pageSeconds);
    void PublishSiteFile(const std::string& path, const PublishContext& context, const PublishHooks& hooks);
    void Count(const PublishContext& context, bool arrived);
    void SaveEachGraph(const QImage& page, const PublishContext& context, const PublishHooks& hooks);

    ProgramState& state_;
    Host& host_;
    PageScreen& screen_;
    PageImageWindow& window_;
    const PublishingController& publishing_;
    bool printWrittenImages_;
    bool pngAvailable_;
    ImageTally tally_;
    // The pages of the image round so far, with the images written for each.
    std::vector<PublishedPage> round_;
    std::time_t roundStart_ = 0;
};

}  // namespace tidemark
