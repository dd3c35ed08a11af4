#pragma once
// Web screens in the window: local HTML, PDF and workbook files in the program folder,
// setup lines for them, and running script in a browser's document.
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <optional>

#include "app/menu_list.h"
#include "devices/web/browser.h"
#include "window_fixture.h"

namespace tidemark::apptest {

// The colour of the HTML page's block (#1080F0).
inline const QColor kBlockColor(0x10, 0x80, 0xF0);

// A web screen line: address, scroll bars switch, saved scroll position, allow-navigation
// and fit-image switches.
inline std::string WebLine(int graph, const std::string& address, int scrollBars = -1, int left = 0, int top = 0,
                           int allowNavigation = 0, int fitImage = 0) {
    return " " + std::to_string(graph) + " ;-1 ;Web Screen;" + address + "; " + std::to_string(scrollBars) + " ; " +
           std::to_string(left) + " ; " + std::to_string(top) + " ; " + std::to_string(allowNavigation) + " ; " +
           std::to_string(fitImage);
}

// A PDF of one page filled with red.
std::string RedPdf();

class WebScreenTest : public WindowTest {
protected:
    void SetUp() override;

    // The page with a large block of kBlockColor (4000 px square) holding a link.
    std::string Html() const { return db_.Folder() + "block.html"; }
    std::string OtherHtml() const { return db_.Folder() + "other.html"; }
    std::string Pdf() const { return db_.Folder() + "report.pdf"; }
    std::string Xlsx() const { return db_.Folder() + "sites.xlsx"; }

    Browser* BrowserOf(int index) { return window_->Web().BrowserAt(index); }
    // Runs script in the document of browser `index` and returns its value.
    std::optional<QVariant> Js(int index, const QString& script);
    // A mouse-up dispatched in the document of browser `index` on the element with id
    // `id` (or the body when empty); button 0 left, 2 right.
    void MouseUp(int index, const QString& id, int button, bool ctrl = false);
};

}  // namespace tidemark::apptest
