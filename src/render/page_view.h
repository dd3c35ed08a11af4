#pragma once
// The window-side effects of drawing a page that the Host does not cover. The main
// window implements it over its widgets and timers; RecordingPageView records the calls
// for tests. Drawing calls these in a fixed order (see showgraphs.h), so a window can
// rely on BeginDrawing and EndDrawing always coming in pairs.
#include <cstdint>
#include <string>
#include <vector>

namespace tidemark {

class PageView {
public:
    virtual ~PageView() = default;

    // Before anything is drawn: stop the warning blink timer, set the busy flag (clicks on
    // charts are ignored while it is set), show the busy pointer, freeze painting.
    virtual void BeginDrawing() = 0;
    // The window's background colour (red + 256 green + 65536 blue).
    virtual void SetBackgroundColor(int32_t color) = 0;
    // Hide every web-screen browser.
    virtual void HideBrowsers() = 0;
    // Hide the slot's "WARNING!" box and its large current-value box.
    virtual void HideSlotBoxes(int slot) = 0;
    // Start the warning blink timer (a slot's warning flag was raised).
    virtual void StartWarningBlink() = 0;
    // The layout pass: places the charts and boxes, shows the charts in use.
    virtual void LayoutPage() = 0;
    // After the layout: normal pointer, busy flag cleared, painting unfrozen.
    virtual void EndDrawing() = 0;

    // Page-image cycle.
    virtual void FocusMainTextBox() = 0;
    virtual void StopPagingTimer() = 0;
    virtual void RestartPagingTimer() = 0;
    // Waits by the clock, letting events run.
    virtual void WaitMilliseconds(int ms) = 0;
    // Captures the current page and writes (and publishes) its image.
    virtual void SavePageImage() = 0;

    // 0, 100 (screen taller than 610 pixels) or 250 (taller than 999 pixels).
    virtual int ScreenSizeClass() const = 0;
};

// Records every call as one line ("BeginDrawing", "HideSlotBoxes 3", "Wait 200", ...).
class RecordingPageView : public PageView {
public:
    explicit RecordingPageView(int screenSizeClass = 0) : screenSizeClass_(screenSizeClass) {}

    void BeginDrawing() override { calls.push_back("BeginDrawing"); }
    void SetBackgroundColor(int32_t color) override {
        background = color;
        calls.push_back("SetBackgroundColor " + std::to_string(color));
    }
    void HideBrowsers() override { calls.push_back("HideBrowsers"); }
    void HideSlotBoxes(int slot) override { calls.push_back("HideSlotBoxes " + std::to_string(slot)); }
    void StartWarningBlink() override { calls.push_back("StartWarningBlink"); }
    void LayoutPage() override { calls.push_back("LayoutPage"); }
    void EndDrawing() override { calls.push_back("EndDrawing"); }
    void FocusMainTextBox() override { calls.push_back("FocusMainTextBox"); }
    void StopPagingTimer() override { calls.push_back("StopPagingTimer"); }
    void RestartPagingTimer() override { calls.push_back("RestartPagingTimer"); }
    void WaitMilliseconds(int ms) override { calls.push_back("Wait " + std::to_string(ms)); }
    void SavePageImage() override { calls.push_back("SavePageImage"); }
    int ScreenSizeClass() const override { return screenSizeClass_; }

    int Count(const std::string& call) const {
        int n = 0;
        for (const std::string& c : calls) n += c == call;
        return n;
    }

    std::vector<std::string> calls;
    int32_t background = -1;

private:
    int screenSizeClass_;
};

}  // namespace tidemark
