#pragma once
// PNG files of rendered images. Page and chart images are mostly flat colour, which
// deflate packs well without PNG's per-row filters; leaving the filters out and
// compressing with ISA-L's fast deflate makes writing an order of magnitude faster than a
// general-purpose encoder, at a somewhat larger file.
#include <QImage>
#include <string>

#include "core/result.h"

namespace tidemark {

// The image as PNG bytes: 8-bit RGB, or RGBA when the image has an alpha channel.
// Empty for a null image.
std::string EncodePng(const QImage& image);

// Writes the image as a PNG file; the file is replaced whole or left as it was.
Result<void> WritePng(const QImage& image, const std::string& path);

}  // namespace tidemark
