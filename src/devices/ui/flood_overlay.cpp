#include "devices/ui/flood_overlay.h"

#include <QColor>
#include <QFont>

#include "core/color.h"
#include "core/units.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

void drawOverlayText(QPainter& painter, const std::string& text, double points, double x, double y) {
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setFamily("Sans Serif");
    font.setPixelSize(std::max(1, TwipsToPixels(points * kTwipsPerPoint)));
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(RGBtoBGRA(0x000000, 150)));
    painter.drawText(QRectF(x, y, 1e4, 1e4), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, ProgramText(text));
}

void drawFloodCategories(QPainter& painter, const std::vector<FloodBand>& bands) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const FloodBand& band : bands)
        painter.fillRect(QRectF(band.box.left, band.box.top, band.box.width, band.box.height),
                         QColor::fromRgba(RGBtoBGRA(band.color, kFloodBandAlpha)));
    for (const FloodBand& band : bands)
        drawOverlayText(painter, band.label, kFloodLabelPoints, band.labelX, band.labelY);
    painter.restore();
}

}  // namespace tidemark
