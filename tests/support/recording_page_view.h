#pragma once
// A PageView for tests: records every call, in order.
#include <cstdint>
#include <string>
#include <vector>

#include "render/page_view.h"

namespace tidemark {

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
