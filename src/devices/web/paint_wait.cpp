#include <QWidget>

#include "devices/web/browser.h"
#include "devices/web/event_wait.h"

namespace tidemark {
namespace {

constexpr int kFrameStepMs = 40;
constexpr int kFramesArriveMs = 1000;
// A document's frame reaches its view a few frames after the document reports it; when
// none comes in this time, it had come with the report.
constexpr int kFrameAfterReportMs = 120;
// The frames of a document that is still changing come closer together than this.
constexpr int kFramesQuietMs = 40;

// The view has shown a frame made after the report (or none was coming) and no other
// has followed for a while.
bool FramesSettled(const Browser& browser) {
    const std::optional<ViewFrames> frames = browser.FramesSinceReport();
    if (!frames) return false;
    const qint64 now = NowMs();
    const bool fresh = frames->shown > 0 || now - frames->sinceMs >= kFrameAfterReportMs;
    return fresh && now - frames->lastShownMs >= kFramesQuietMs;
}

// The pixels of `browsers` must show more than a backdrop and stay so for a frame step.
void WaitUntilPixelsStay(const std::vector<Browser*>& browsers, int ms) {
    if (browsers.empty()) return;
    auto grabs = [&] {
        std::vector<QImage> images;
        for (Browser* b : browsers) images.push_back(b->Grab());
        return images;
    };
    std::vector<QImage> before = grabs();
    WaitFor(
        [&] {
            Pause(kFrameStepMs);
            std::vector<QImage> now = grabs();
            bool settled = now == before && std::none_of(now.begin(), now.end(), Uniform);
            before = std::move(now);
            return settled;
        },
        ms);
}

}  // namespace

bool WaitUntilPainted(const std::vector<PaintWait>& waits, int ms) {
    const Deadline deadline(ms);
    bool all = true;
    std::vector<Browser*> reporting;
    for (const PaintWait& wait : waits) {
        if (!wait.browser->View()->isVisible()) continue;
        if (!wait.browser->WaitComplete(deadline.Left())) {
            all = false;
            continue;
        }
        if (!wait.reportsPaint) continue;
        // Asked of all at once: the documents produce their frames side by side. One asked
        // already for the document and the view as they are (a browser made ready while
        // other pages were drawn) is not asked again.
        if (!wait.browser->PaintReportAskedSinceChange()) wait.browser->RequestPaintReport();
        reporting.push_back(wait.browser);
    }
    all &= WaitFor(
        [&] { return std::all_of(reporting.begin(), reporting.end(), [](Browser* b) { return b->PaintReported(); }); },
        deadline.Left());
    // The frames the documents produced still have to reach the views, which meanwhile
    // show the last ones they had, of their old size, on the document's background. A
    // view that tells its frames is done when they have come; the pixels of the others
    // (and of any that still shows a mere backdrop) are watched.
    std::vector<Browser*> counted;
    std::vector<Browser*> watched;
    for (Browser* b : reporting) (b->FramesSinceReport() ? counted : watched).push_back(b);
    WaitFor([&] { return std::all_of(counted.begin(), counted.end(), [](Browser* b) { return FramesSettled(*b); }); },
            std::min(deadline.Left(), kFramesArriveMs));
    for (Browser* b : counted)
        if (Uniform(b->Grab())) watched.push_back(b);
    WaitUntilPixelsStay(watched, std::min(deadline.Left(), kFramesArriveMs));
    for (const PaintWait& wait : waits)
        if (!wait.reportsPaint && wait.browser->View()->isVisible())
            all &= wait.browser->WaitUntilViewerPainted(deadline.Left());
    return all;
}

}  // namespace tidemark
