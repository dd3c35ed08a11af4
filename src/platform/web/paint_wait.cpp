#include <QWidget>

#include "platform/web/browser.h"
#include "platform/web/event_wait.h"

namespace tidemark {
namespace {

constexpr int kFrameStepMs = 40;
constexpr int kFramesArriveMs = 1000;

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
        // Asked of all at once: the documents produce their frames side by side.
        wait.browser->RequestPaintReport();
        reporting.push_back(wait.browser);
    }
    all &= WaitFor(
        [&] { return std::all_of(reporting.begin(), reporting.end(), [](Browser* b) { return b->PaintReported(); }); },
        deadline.Left());
    // The frames the documents produced still have to reach the views, which meanwhile
    // show the last ones they had, of their old size, on the document's background: the
    // pixels must show more than a backdrop and stay so for a frame step.
    auto grabs = [&] {
        std::vector<QImage> images;
        for (Browser* b : reporting) images.push_back(b->Grab());
        return images;
    };
    std::vector<QImage> before = grabs();
    if (!reporting.empty())
        WaitFor(
            [&] {
                Pause(kFrameStepMs);
                std::vector<QImage> now = grabs();
                bool settled = now == before && std::none_of(now.begin(), now.end(), Uniform);
                before = std::move(now);
                return settled;
            },
            std::min(deadline.Left(), kFramesArriveMs));
    for (const PaintWait& wait : waits)
        if (!wait.reportsPaint && wait.browser->View()->isVisible())
            all &= wait.browser->WaitUntilViewerPainted(deadline.Left());
    return all;
}

}  // namespace tidemark
