#pragma once
// Lengths on the window are twips, 1/1440 inch, as the setup file and the layout rules
// give them; a logical pixel is 15 twips (96 per inch) and a point 20. Layout arithmetic
// stays in twips and is turned into pixels only where a widget is placed or painted.
#include <cmath>

namespace tidemark {

inline constexpr double kTwipsPerPixel = 15.0;
inline constexpr double kTwipsPerPoint = 20.0;

inline constexpr double PixelsToTwips(double pixels) { return pixels * kTwipsPerPixel; }

// The nearest whole pixel.
inline int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

}  // namespace tidemark
