#pragma once
// Web screens as the program reasons about them, apart from any browser: which
// documents can be scripted, what the splash shows while they load, what a mouse-up in a
// document does, and the web-screen menu.
#include <optional>
#include <string>
#include <string_view>

#include "pages/graph_readout.h"
#include "pages/layout.h"
#include "pages/menu_table.h"

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

// Why a document a web screen was sent to could not be shown (a local file it may not
// show is refused before it is loaded, see document_access.h).
enum class DocumentFailure { NotFound, CannotConnect, Failed };
// The reason as a phrase, after "not shown: ": "it was not found", ...; `detail` is the
// browser's own word for a failure of another kind.
std::string FailureReason(DocumentFailure why, std::string_view detail);

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

struct WebMenuState {
    // A web screen covers the window. Paging on ends it; "Back" leaves it, so the next
    // page turn lays the page out once more.
    bool enlarged = false;
};

inline constexpr MenuTable<WebMenuCommand, WebMenuState, 10> kWebMenu{{
    {"Enlarge", WebMenuCommand::Enlarge, &WebMenuState::enlarged, "Shrink", WebMenuCommand::Shrink},
    {"Update This", WebMenuCommand::UpdateThis},
    {"ScrollBars", WebMenuCommand::ScrollBars},
    {"Auto Paging", WebMenuCommand::AutoPaging},
    {"Setup", WebMenuCommand::Setup},
    {"Open", WebMenuCommand::Open},
    {"Print", WebMenuCommand::Print},
    {"Back", WebMenuCommand::Back},
    {"Next", WebMenuCommand::Next},
    {"Cancel", WebMenuCommand::Cancel},
}};

inline constexpr int kWebMenuEnlargeRow = RowFollowing(kWebMenu, &WebMenuState::enlarged);
// Waits of a web screen's load steps, and of "Back" to the home address.
inline constexpr int kLoadWaitMs = 10000;
inline constexpr int kBackWaitMs = 20000;

}  // namespace tidemark
