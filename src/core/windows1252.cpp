#include "core/windows1252.h"

#include <algorithm>

namespace tidemark {
namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighPositions[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                         0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the UTF-8 sequence a lead byte opens (1 to 4), or 0 for a byte that
// cannot open one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

// The character of a complete sequence, or nothing for an overlong form, a surrogate or
// a value beyond Unicode.
bool DecodeSequence(std::string_view utf8, size_t at, int length, char32_t& character) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[at + k]); };
    static constexpr unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (at + static_cast<size_t>(length) > utf8.size()) return false;
    char32_t u = byte(0) & kLeadMask[length];
    for (int k = 1; k < length; ++k) {
        if (!IsContinuation(byte(static_cast<size_t>(k)))) return false;
        u = (u << 6) | (byte(static_cast<size_t>(k)) & 0x3F);
    }
    if (u < kSmallest[length] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return false;
    character = u;
    return true;
}

}  // namespace

char16_t Windows1252ToUnicode(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighPositions[byte - 0x80] : char16_t(byte);
}

char UnicodeToWindows1252(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<char>(character);
    for (int i = 0; i < 32; ++i)
        if (kHighPositions[i] == character) return static_cast<char>(0x80 + i);
    return '?';
}

unsigned char Windows1252Upper(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') return static_cast<unsigned char>(byte - 32);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<unsigned char>(byte - 32);
    switch (byte) {
        case 0x9A: return 0x8A;  // š
        case 0x9C: return 0x8C;  // œ
        case 0x9E: return 0x8E;  // ž
        case 0xFF: return 0x9F;  // ÿ
        default: return byte;
    }
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Windows1252Upper(static_cast<unsigned char>(a[i]));
        unsigned char y = Windows1252Upper(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

std::u16string Windows1252ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out.push_back(Windows1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Windows1252FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) out += UnicodeToWindows1252(unit);
    return out;
}

void AppendUtf8AsWindows1252(std::string_view utf8, std::string& out) {
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            size_t run = i;
            while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) ++run;
            out.append(utf8.substr(i, run - i));
            i = run;
            continue;
        }
        int length = SequenceLength(lead);
        char32_t character = 0;
        if (length < 2 || !DecodeSequence(utf8, i, length, character)) {
            out += '?';
            ++i;
            continue;
        }
        if (character > 0xFFFF)
            out += "??";
        else
            out += UnicodeToWindows1252(character);
        i += static_cast<size_t>(length);
    }
}

}  // namespace tidemark
