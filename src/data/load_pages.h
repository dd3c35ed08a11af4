#pragma once
// LoadPages: turns the setup into pages ready to draw. Full mode reads the setup file
// first; reload mode fetches every page of the setup in memory again. Page 1 is shown
// as soon as its data is in, so the user can look at it while the rest loads.
#include <functional>
#include <string>

#include "core/host.h"
#include "core/result.h"
#include "data/program_state.h"

namespace tidemark {

enum class LoadMode { Full, Reload };

// What the window does for a load; every member may be left empty (tests, headless).
struct LoadPagesHooks {
    // The progress bar's width in twips (p x 2400 / N); the window ignores it while it is
    // hidden or minimised.
    std::function<void(int widthTwips)> progress;
    // Interactive start: page 1 is complete - apply the saved window state, show the
    // window and draw page 1.
    std::function<void()> showFirstPage;
    // Unattended start, after the last page: draw page 1, apply the saved window state,
    // let events run and show the window.
    std::function<void()> showFirstPageUnattended;
    // Full mode: the setup file and the site catalogue have been read; no page has loaded.
    std::function<void()> setupRead;
    // A web screen slot of a page: its browser is prepared by the web-screen layer.
    std::function<void(int page, int slot)> prepareWebScreen;
    // Opens the setup file in the user's editor after a connection fault at start.
    std::function<void(const std::string& path)> openEditor;
};

struct LoadFault : Fault {
    // Full mode: the load could not finish and the program must end (the description has
    // been shown). Reload mode never ends the program: the old series are kept.
    bool fatal = false;
};

using LoadPagesResult = Result<void, LoadFault>;

// The caption shown while nothing loads: page 1's title, the last update's date
// " yyyy-mmm-dd", " updated at ", and its time "hh:mm AMPM".
std::string BaseCaption(const ProgramState& state);

// The date window for `days` and `endday` at `now` (or from the historical start).
// A fault when the historical start is not a date.
Result<DateWindow> ComputeDateWindow(const SetupSettings& settings, double now, bool historicalStart,
                                     const std::string& historyStartText);

// The callers set state.loading around the call. `days` may hold the span of an earlier
// load; the window is always computed from the user's day count.
LoadPagesResult LoadPages(ProgramState& state, Host& host, LoadMode mode, const LoadPagesHooks& hooks = {});

}  // namespace tidemark
