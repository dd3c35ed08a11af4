#pragma once
// What pages write to their consoles. A remote page's text on the operator's terminal
// could clear it or flood it, so nothing is shown unless the debug switch asks for it
// (QT_LOGGING_RULES="tidemark.web.console.debug=true"), and then escaped, cut, and a few
// lines per document.
#include <QString>
#include <map>

namespace tidemark {

class Browser;

class WebConsole {
public:
    // A line of the document in `browser` (numbered `number` from 1 where it is named).
    void Line(const Browser* browser, int number, int level, const QString& text, const QString& source, int line);
    // The browser shows a new document: its lines count afresh.
    void NewDocument(const Browser* browser) { shown_.erase(browser); }

private:
    std::map<const Browser*, int> shown_;
};

}  // namespace tidemark
