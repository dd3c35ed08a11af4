#pragma once
// The program's text (Windows-1252 bytes) as Qt's strings and back: the part of the
// bridge that needs Qt Core alone, for adapters that have no business with Qt Gui (the
// database backends).
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/windows1252.h"

namespace tidemark {

inline QString ProgramText(std::string_view text) { return QString::fromStdU16String(Windows1252ToUtf16(text)); }

inline std::string ToProgramText(const QString& text) {
    return Windows1252FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

}  // namespace tidemark
