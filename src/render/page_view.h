#pragma once
// The window-side effects of drawing a page that the Host does not cover. The main
// window implements it over its widgets and timers; tests record the calls. Drawing
// calls these in a fixed order (see showgraphs.h), so a window can rely on BeginDrawing
// and EndDrawing always coming in pairs.
#include <cstdint>

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

}  // namespace tidemark
