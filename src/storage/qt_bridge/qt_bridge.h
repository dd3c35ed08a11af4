#pragma once
// The program's values as Qt's and back, for every adapter over Qt and for the window:
// text (Windows-1252 bytes), colours, fonts, and lengths in twips as pixels.
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/color.h"
#include "core/units.h"
#include "core/windows1252.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {

inline QColor ToQColor(int32_t color) {
    Rgb c = SplitColor(color);
    return QColor(c.red, c.green, c.blue);
}

// A font of the program's settings: the named family (the default when empty) at a size
// in points (kept when 0 or less).
QFont ProgramFont(const std::string& name, double pointSize);

inline QPoint TwipsToQPoint(double left, double top) { return QPoint(TwipsToPixels(left), TwipsToPixels(top)); }

// A rectangle in twips (any type with left, top, width and height) in whole pixels, at
// least one pixel wide and high: Qt hides a widget of no size, the program never does.
template <class TwipsRect>
QRect TwipsToQRect(const TwipsRect& r) {
    return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), std::max(1, TwipsToPixels(r.width)),
                 std::max(1, TwipsToPixels(r.height)));
}

template <class TwipsRect>
TwipsRect QRectToTwips(const QRect& r) {
    return {PixelsToTwips(r.left()), PixelsToTwips(r.top()), PixelsToTwips(r.width()), PixelsToTwips(r.height())};
}

}  // namespace tidemark
