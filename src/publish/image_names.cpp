#include "publish/image_names.h"

#include "core/vbtext.h"

namespace tidemark {
namespace {

// Replaces every occurrence of `from` (matched without regard to case) by `to`.
std::string ReplaceNoCase(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string lower = LCase(text);
    std::string lowerFrom = LCase(from);
    std::string out;
    size_t start = 0;
    for (size_t at = lower.find(lowerFrom); at != std::string::npos; at = lower.find(lowerFrom, start)) {
        out += text.substr(start, at - start);
        out += to;
        start = at + from.size();
    }
    out += text.substr(start);
    return out;
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return parts;
}

}  // namespace

std::string PageImagePath(const std::string& basePath, int page) {
    return ReplaceNoCase(basePath, "_window.png", "_window" + std::to_string(page) + ".png");
}

std::string GraphImagePath(const std::string& basePath, int page, int slot) {
    return ReplaceNoCase(basePath, "_window.png",
                         "_window_" + std::to_string(page) + "_" + std::to_string(slot + 1) + ".png");
}

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<FileFilter> out;
    std::vector<std::string> parts = SplitOn(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) continue;
        FileFilter f;
        f.description = parts[i];
        for (const std::string& p : SplitOn(parts[i + 1], ';'))
            if (!Trim(p).empty()) f.patterns.push_back(Trim(p));
        out.push_back(f);
    }
    return out;
}

bool IsPngPath(const std::string& path) { return Contains(LCase(path), ".png"); }

}  // namespace tidemark
