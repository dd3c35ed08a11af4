#include "core/shown_text.h"

namespace tidemark {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

// The length of the well-formed UTF-8 sequence at `at` (2 to 4), or 0 when there is none.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
    return length;
}

bool IsControlByte(unsigned char byte) { return (byte < 0x20 && byte != '\t') || (byte >= 0x7F && byte <= 0x9F); }

}  // namespace

std::string ShownControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        size_t length = byte >= 0x80 ? Utf8SequenceLength(text, at) : 0;
        if (length == 0) {
            if (IsControlByte(byte))
                AppendEscaped(out, byte);
            else
                out += text[at];
            ++at;
            continue;
        }
        // U+0080 to U+009F: the C1 controls, C2 80 to C2 9F.
        bool c1 = length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        for (size_t i = 0; i < length; ++i) {
            if (c1)
                AppendEscaped(out, static_cast<unsigned char>(text[at + i]));
            else
                out += text[at + i];
        }
        at += length;
    }
    return out;
}

}  // namespace tidemark
