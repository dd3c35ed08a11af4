#include "app/text_measure.h"

#include <QFontMetricsF>

#include "app/widget_text.h"
#include "platform/qt_text.h"
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
