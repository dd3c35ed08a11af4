#pragma once
// Web screens as the program reasons about them, apart from any browser: which
// documents can be scripted, what the splash shows while they load, what a mouse-up in a
// document does, and the web-screen menu's commands by the text of their entries.
#include <optional>
#include <string>
#include <string_view>

#include "pages/graph_readout.h"
#include "pages/layout.h"

namespace tidemark {

// A document the browser shows but that cannot be scripted: its address' last five
// characters, trailing spaces removed and upper-cased, hold ".PDF" or ".XL" (a PDF file
// or a workbook). Every document step (scrolling, scroll bars, image fitting, mouse
// events) is skipped for it.
bool IsScriptableAddress(std::string_view address);

// A workbook shown as a table of its first sheet, by the extension of the address
// (trailing spaces removed).
bool IsSheetAddress(std::string_view address);

// The splash window while browser `browser` (0-based) of `count` loads: the bar's width
// in twips and the label " b of B".
struct WebScreenProgress {
    int barWidthTwips = 0;
    std::string label;
};
inline constexpr int kSplashBarTwips = 3600;
WebScreenProgress ProgressFor(int browser, int count);

// The splash window's message after the last browser has loaded.
std::string HelpNotice(std::string_view helpAddress);

// What a mouse-up in a web screen's document does.
enum class DocumentClick { Nothing, NextPage, PreviousPage, ShowMenu };
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
// tag: the source element's tag name; button 1 left, 2 right; allowNavigation: the
// slot's switch (links work and a left click does not page).
DocumentClick DocumentMouseUp(std::string_view tag, int button, bool ctrl, bool allowNavigation);

// Where the web-screen menu opens over browser rectangle `browser` (window twips).
WindowPoint WebMenuPosition(const WindowRect& browser);

enum class WebMenuCommand {
    Enlarge,
    Shrink,
    UpdateThis,
    ScrollBars,
    AutoPaging,
    Setup,
    Open,
    Print,
    Back,
    Next,
    Cancel
};

// The command an entry's present text names; nothing for a text the menu never shows.
std::optional<WebMenuCommand> WebMenuCommandFor(std::string_view entryText);

inline constexpr int kWebMenuEnlargeRow = 0;
// Waits of a web screen's load steps, and of "Back" to the home address.
inline constexpr int kLoadWaitMs = 10000;
inline constexpr int kBackWaitMs = 20000;

}  // namespace tidemark
