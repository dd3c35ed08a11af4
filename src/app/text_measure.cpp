#include "app/text_measure.h"

#include <QFontMetricsF>

#include "platform/qt_bridge/qt_bridge.h"
#include "platform/ui/chart_painter.h"

namespace tidemark {

TextMeasure QtTextMeasure() {
    return [](const std::string& fontName, double fontSize, const std::string& text) {
        QFontMetricsF metrics(ProgramFont(fontName, fontSize));
        return TextExtent{metrics.horizontalAdvance(ProgramText(text)) * kTwipsPerPixel,
                          metrics.height() * kTwipsPerPixel};
    };
}

}  // namespace tidemark
