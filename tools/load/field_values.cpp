#include "field_values.h"

#include <charconv>
#include <cmath>

namespace tidemark::load {

std::string_view TrimField(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

ValueField ReadValueField(std::string_view text, bool decimalComma,
                          std::initializer_list<std::string_view> missingWords, double& out) {
    text = TrimField(text);
    if (text.empty()) return ValueField::Missing;
    for (std::string_view word : missingWords)
        if (text == word) return ValueField::Missing;
    if (text.front() == '+') text.remove_prefix(1);
    char buffer[64];
    if (decimalComma && text.find(',') != std::string_view::npos) {
        if (text.size() >= sizeof buffer) return ValueField::NotANumber;
        for (size_t i = 0; i < text.size(); ++i) buffer[i] = text[i] == ',' ? '.' : text[i];
        text = std::string_view(buffer, text.size());
    }
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(out)) return ValueField::NotANumber;
    return ValueField::Number;
}

bool PlaceTime(ZoneClock& clock, const FileTime& time, Seconds& local, Seconds& instant, std::string* why) {
    if (time.offset) {
        local = clock.LocalOf(time.wallClock, *time.offset);
        instant = time.wallClock - *time.offset;
        return true;
    }
    int offset = clock.OffsetAt(time.wallClock);
    if (!clock.Exists(time.wallClock)) {
        if (why) *why = "is a local time that does not exist in " + clock.Name() + " (the hour summer time skips)";
        return false;
    }
    local = time.wallClock;
    instant = time.wallClock - offset;
    return true;
}

std::string Quoted(std::string_view text) {
    constexpr size_t kShown = 40;
    std::string out = "\"";
    for (char c : text.substr(0, kShown)) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            static const char* hex = "0123456789ABCDEF";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    if (text.size() > kShown) out += "...";
    return out + "\"";
}

}  // namespace tidemark::load
