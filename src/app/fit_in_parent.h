#pragma once
// Where a menu or frame shown over the window goes so that all of it can be seen.
#include <QRect>
#include <QSize>
#include <algorithm>

namespace tidemark {

// `wanted` cut to the size of `room` (the parent's client area), then moved up and left
// as far as it must be to lie inside it; a rectangle that fits stays where it is.
inline QRect FitInParent(QRect wanted, const QSize& room) {
    wanted.setWidth(std::min(wanted.width(), room.width()));
    wanted.setHeight(std::min(wanted.height(), room.height()));
    int left = std::clamp(wanted.left(), 0, std::max(0, room.width() - wanted.width()));
    int top = std::clamp(wanted.top(), 0, std::max(0, room.height() - wanted.height()));
    wanted.moveTo(left, top);
    return wanted;
}

}  // namespace tidemark
