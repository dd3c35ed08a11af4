#pragma once
// A web screen's settings. Its graph line has no fields of its own for them: the
// GraphDef keeps them in chart fields (the address in `stationname`, the browser in
// `backcolor`, the saved scroll position in `daymarker` and `logyscale`, the switches
// in `hrmarker`, `back2color` and `hrcolor`). Code that works with web screens goes
// through these views and never through the chart names.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "setup/setup_model.h"

namespace tidemark {

// What a web screen's line holds as its parameter name.
inline constexpr std::string_view kWebScreenParameterName = "Web Screen";

// A document's scroll position in pixels.
struct ScrollPosition {
    int left = 0;
    int top = 0;
    bool operator==(const ScrollPosition&) const = default;
};

// The three switches as the line holds them: 0 off, any other number on. The number
// read is kept, so saving writes it back as it was.
struct WebScreenSwitches {
    int16_t scrollBars = 0;
    int32_t allowNavigation = 0;
    int32_t fitImage = 0;
    bool operator==(const WebScreenSwitches&) const = default;
};

class WebScreenView {
public:
    explicit WebScreenView(const GraphDef& def) : def_(def) {}

    // The web address or file shown.
    const std::string& Address() const { return def_.stationname; }
    // The embedded browser that shows it (given while the program runs, never read).
    int32_t BrowserIndex() const { return def_.backcolor; }
    // Where the document was scrolled to when the setup was saved.
    ScrollPosition SavedScroll() const { return {def_.daymarker, def_.logyscale}; }
    bool ScrollBars() const { return def_.hrmarker != 0; }
    // Links may lead away from the address; "Back" then returns to it.
    bool AllowNavigation() const { return def_.back2color != 0; }
    // The document's first image is fitted to the browser.
    bool FitImage() const { return def_.hrcolor != 0; }
    WebScreenSwitches Switches() const { return {def_.hrmarker, def_.back2color, def_.hrcolor}; }

private:
    const GraphDef& def_;
};

class WebScreenSlot : public WebScreenView {
public:
    explicit WebScreenSlot(GraphDef& def) : WebScreenView(def), def_(def) {}

    // Turns the slot into a web screen showing `address`; the other settings stay.
    void MakeWebScreen(std::string address) {
        def_.dsid = kWebScreenDsid;
        def_.parametername = kWebScreenParameterName;
        def_.stationname = std::move(address);
    }
    void SetBrowserIndex(int32_t index) { def_.backcolor = index; }
    // Clamped to the 16 bits the file holds.
    void SetSavedScroll(ScrollPosition at) {
        def_.daymarker = Clamped(at.left);
        def_.logyscale = Clamped(at.top);
    }
    void SetScrollBars(bool on) { def_.hrmarker = on ? kFileTrue : 0; }
    void SetAllowNavigation(bool on) { def_.back2color = on ? 1 : 0; }
    void SetFitImage(bool on) { def_.hrcolor = on ? 1 : 0; }
    void SetSwitches(const WebScreenSwitches& s) {
        def_.hrmarker = s.scrollBars;
        def_.back2color = s.allowNavigation;
        def_.hrcolor = s.fitImage;
    }

private:
    static int16_t Clamped(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }
    GraphDef& def_;
};

}  // namespace tidemark
