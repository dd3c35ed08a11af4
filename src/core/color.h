#pragma once
#include <cstdint>

namespace tidemark {

// Colours are one integer: red + 256 * green + 65536 * blue.
struct Rgb {
    int red = 0, green = 0, blue = 0;
};

inline Rgb SplitColor(int32_t color) {
    uint32_t c = static_cast<uint32_t>(color);
    return Rgb{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}

inline int32_t RGB(int red, int green, int blue) {
    return static_cast<int32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// A colour and an alpha 0-255 as one 32-bit ARGB value: alpha in the top byte, then red,
// green and blue.
inline uint32_t RGBtoBGRA(int32_t color, int alpha) {
    Rgb c = SplitColor(color);
    return (static_cast<uint32_t>(alpha & 0xFF) << 24) | (static_cast<uint32_t>(c.red) << 16) |
           (static_cast<uint32_t>(c.green) << 8) | static_cast<uint32_t>(c.blue);
}

// A graph whose second back colour is this value is switched off.
inline constexpr int32_t kSwitchedOffColor = 65535;

// The missing value in every series; drawn as a gap.
inline constexpr double kMissing = -9999.0;

inline bool IsMissing(double v) { return v == kMissing; }

}  // namespace tidemark
