#include "pages/web_screen.h"

#include "core/vbtext.h"

namespace tidemark {
namespace {

std::string WithoutTrailingSpaces(std::string_view address) {
    size_t end = address.size();
    while (end > 0 && address[end - 1] == ' ') --end;
    return std::string(address.substr(0, end));
}

std::string LastFive(std::string_view address) {
    std::string s = UCase(WithoutTrailingSpaces(address));
    return s.size() > 5 ? s.substr(s.size() - 5) : s;
}

bool EndsWith(const std::string& s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool IsScriptableAddress(std::string_view address) {
    std::string tail = LastFive(address);
    return !Contains(tail, ".PDF") && !Contains(tail, ".XL");
}

bool IsSheetAddress(std::string_view address) {
    std::string s = UCase(WithoutTrailingSpaces(address));
    return EndsWith(s, ".XLS") || EndsWith(s, ".XLSX");
}

WebScreenProgress ProgressFor(int browser, int count) {
    WebScreenProgress p;
    if (count <= 0) return p;
    p.barWidthTwips = static_cast<int>((static_cast<long long>(browser) + 1) * kSplashBarTwips / count);
    p.label = " " + std::to_string(browser + 1) + " of " + std::to_string(count);
    return p;
}

std::string HelpNotice(std::string_view helpAddress) { return "Help is online at " + std::string(helpAddress); }

std::string FailureReason(DocumentFailure why, std::string_view detail) {
    switch (why) {
        case DocumentFailure::NotFound: return "it was not found";
        case DocumentFailure::CannotConnect: return "no connection to it could be made";
        case DocumentFailure::Failed: break;
    }
    std::string reason = "it could not be loaded";
    if (!TrimBlanks(detail).empty()) reason += " (" + TrimBlanks(detail) + ")";
    return reason;
}

DocumentClick DocumentMouseUp(std::string_view tag, int button, bool ctrl, bool allowNavigation) {
    if (button == kLeftButton) {
        if (allowNavigation) return DocumentClick::Nothing;
        return ctrl ? DocumentClick::PreviousPage : DocumentClick::NextPage;
    }
    if (button == kRightButton) {
        // Below a short document the click lands on the root element, outside the body;
        // the whole background is the page's background, as if the body filled the view.
        std::string element = UCase(Trim(tag));
        return element == "BODY" || element == "HTML" ? DocumentClick::Nothing : DocumentClick::ShowMenu;
    }
    return DocumentClick::Nothing;
}

WindowPoint WebMenuPosition(const WindowRect& browser) {
    return {browser.left + browser.width / 2, browser.top + 1000};
}

}  // namespace tidemark
