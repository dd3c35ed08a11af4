#include "core/text_limits.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

namespace tidemark {

std::string Excerpt(std::string_view text) {
    if (text.size() <= kLongestQuote) return std::string(text);
    return std::string(text.substr(0, kLongestQuote)) + "... (" + std::to_string(text.size()) + " characters)";
}

std::string LongLineFault(const std::string& path, size_t lineNumber) {
    return "Line " + std::to_string(lineNumber) + " of " + path + " is longer than " +
           std::to_string(kLongestTextLine) + " characters";
}

size_t FirstLongLine(std::string_view bytes, bool loneCrEndsLine) {
    size_t line = 1, start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        bool atEnd = i == bytes.size();
        bool lineFeed = !atEnd && bytes[i] == '\n';
        bool loneCr = !atEnd && loneCrEndsLine && bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
        if (!atEnd && !lineFeed && !loneCr) continue;
        size_t end = i;
        if (lineFeed && end > start && bytes[end - 1] == '\r') --end;
        if (end - start > kLongestTextLine) return line;
        ++line;
        start = i + 1;
    }
    return 0;
}

LineRead ReadLinesLimited(const std::string& path, size_t maxLines) {
    LineRead read;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        read.status = LineReadStatus::CannotRead;
        read.fault = path + ": " + std::strerror(errno);
        return read;
    }
    auto markTooLong = [&] {
        read.status = LineReadStatus::LineTooLong;
        read.longLine = read.lines.size() + 1;
        read.fault = LongLineFault(path, read.longLine);
    };
    std::string line;
    std::array<char, 16 * 1024> buffer;
    while (read.lines.size() < maxLines && in) {
        in.read(buffer.data(), buffer.size());
        std::string_view chunk(buffer.data(), static_cast<size_t>(in.gcount()));
        while (!chunk.empty() && read.lines.size() < maxLines) {
            size_t nl = chunk.find('\n');
            line.append(chunk.substr(0, nl));
            // One character over may still be the CR of a CR LF.
            if (line.size() > kLongestTextLine + 1) {
                markTooLong();
                return read;
            }
            if (nl == std::string_view::npos) break;
            chunk.remove_prefix(nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > kLongestTextLine) {
                markTooLong();
                return read;
            }
            read.lines.push_back(std::move(line));
            line.clear();
        }
    }
    if (in.bad()) {
        read.status = LineReadStatus::CannotRead;
        read.fault = path + ": read error";
        read.lines.clear();
        return read;
    }
    if (!line.empty() && read.lines.size() < maxLines) {
        if (line.size() > kLongestTextLine) {
            markTooLong();
            return read;
        }
        read.lines.push_back(std::move(line));
    }
    return read;
}

}  // namespace tidemark
