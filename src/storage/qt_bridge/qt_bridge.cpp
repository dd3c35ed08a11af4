#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

QFont ProgramFont(const std::string& name, double pointSize) {
    QFont font;
    if (!name.empty()) font.setFamily(ProgramText(name));
    if (pointSize > 0) font.setPointSizeF(pointSize);
    return font;
}

}  // namespace tidemark
