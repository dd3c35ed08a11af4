#include "app/text_measure.h"

#include <QFontMetricsF>

#include "devices/ui/chart_painter.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

TextMeasure QtTextMeasure() {
    return [](const std::string& fontName, double fontSize, const std::string& text) {
        QFontMetricsF metrics(ProgramFont(fontName, fontSize));
        return TextExtent{metrics.horizontalAdvance(ProgramText(text)) * kTwipsPerPixel,
                          metrics.height() * kTwipsPerPixel};
    };
}

}  // namespace tidemark
