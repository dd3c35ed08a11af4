#pragma once
// Small bridges from the program's values to Qt: colours, fonts, twips and text.
#include <QColor>
#include <QFont>
#include <QString>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/color.h"
#include "core/units.h"

namespace tidemark {

inline QColor ToQColor(int32_t color) {
    Rgb c = SplitColor(color);
    return QColor(c.red, c.green, c.blue);
}

// A font of the program's settings: the named family (the default when empty) at a size
// in points (kept when 0 or less).
QFont ProgramFont(const std::string& name, double pointSize);

}  // namespace tidemark
