#include "platform/ui/png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "core/textfile.h"

namespace tidemark {

namespace {

void PutUint32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutUint32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.append(type, 4);
    out += data;
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(out.size() - start));
    PutUint32(out, static_cast<uint32_t>(crc));
}

// Deflate level 3: close to the default level's size on chart images at a third of
// its time.
constexpr int kDeflateLevel = 3;

}  // namespace

std::string EncodePng(const QImage& source) {
    if (source.isNull()) return {};
    bool alpha = source.hasAlphaChannel();
    QImage image = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int width = image.width(), height = image.height(), channels = alpha ? 4 : 3;

    std::string header;
    PutUint32(header, static_cast<uint32_t>(width));
    PutUint32(header, static_cast<uint32_t>(height));
    header += static_cast<char>(8);              // bits per channel
    header += static_cast<char>(alpha ? 6 : 2);  // RGBA or RGB
    header += std::string(3, '\0');              // deflate, adaptive filtering scheme, no interlace

    z_stream z{};
    if (deflateInit(&z, kDeflateLevel) != Z_OK) return {};
    std::vector<unsigned char> row(static_cast<size_t>(width) * channels + 1);
    std::string compressed(deflateBound(&z, static_cast<uLong>(row.size()) * height), '\0');
    z.next_out = reinterpret_cast<Bytef*>(compressed.data());
    z.avail_out = static_cast<uInt>(compressed.size());
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        row[0] = 0;  // no filter
        unsigned char* p = row.data() + 1;
        for (int x = 0; x < width; ++x) {
            QRgb c = line[x];
            *p++ = static_cast<unsigned char>(qRed(c));
            *p++ = static_cast<unsigned char>(qGreen(c));
            *p++ = static_cast<unsigned char>(qBlue(c));
            if (alpha) *p++ = static_cast<unsigned char>(qAlpha(c));
        }
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        int status = deflate(&z, y + 1 == height ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_STREAM_ERROR) {
            deflateEnd(&z);
            return {};
        }
    }
    compressed.resize(compressed.size() - z.avail_out);
    deflateEnd(&z);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", compressed);
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng(const QImage& image, const std::string& path, std::string* error) {
    std::string bytes = EncodePng(image);
    if (bytes.empty()) {
        if (error) *error = "There is no image to write to " + path;
        return false;
    }
    return WriteFileAtomic(path, bytes, error);
}

}  // namespace tidemark
