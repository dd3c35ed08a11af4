#include "app/web_console.h"

#include <QLoggingCategory>
#include <algorithm>
#include <string>

#include "app/console_host.h"
#include "core/text_limits.h"
#include "pages/document_limits.h"
#include "storage/qt_bridge/qt_text.h"

Q_LOGGING_CATEGORY(webConsole, "tidemark.web.console", QtCriticalMsg)

namespace tidemark {

void WebConsole::Line(const Browser* browser, int number, int level, const QString& text, const QString& source,
                      int line) {
    if (!webConsole().isDebugEnabled()) return;
    int& shown = shown_[browser];
    if (shown > kConsoleLinesPerDocument) return;
    const std::string screen = "Web screen " + std::to_string(number) + " console";
    if (++shown > kConsoleLinesPerDocument) {
        qCDebug(webConsole).noquote() << QString::fromStdString(screen + ": further lines not shown");
        return;
    }
    static const char* const kLevels[] = {"info", "warning", "error"};
    const std::string where = ToProgramText(source) + ":" + std::to_string(line);
    qCDebug(webConsole).noquote() << QString::fromStdString(ConsoleHost::OneLine(
        screen + " " + kLevels[std::clamp(level, 0, 2)] + " " + Excerpt(where) + ": " + Excerpt(ToProgramText(text))));
}

}  // namespace tidemark
