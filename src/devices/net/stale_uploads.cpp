#include "devices/net/stale_uploads.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>

#include "core/url_text.h"

namespace tidemark {
namespace {

bool AllOf(std::string_view text, int (*test)(int)) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [test](char c) { return test(static_cast<unsigned char>(c)) != 0; });
}

// The time a tag was made: "SECONDS-PID-HEX"; a tag "PID-HEX" of an older program counts
// as made at the epoch. Nothing when the tag is not one of the program's.
std::optional<std::time_t> TagTime(std::string_view tag) {
    std::vector<std::string_view> parts;
    for (size_t from = 0;;) {
        size_t dash = tag.find('-', from);
        parts.push_back(tag.substr(from, dash == std::string_view::npos ? std::string_view::npos : dash - from));
        if (dash == std::string_view::npos) break;
        from = dash + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    if (parts.back().size() != 8 || !AllOf(parts.back(), isxdigit)) return std::nullopt;
    for (size_t i = 0; i + 1 < parts.size(); ++i)
        if (parts[i].size() > 18 || !AllOf(parts[i], isdigit)) return std::nullopt;
    if (parts.size() == 2) return std::time_t{0};
    return static_cast<std::time_t>(std::stoll(std::string(parts[0])));
}

struct TempName {
    std::string name;  // the file it stands for
    bool aside = false;
    std::time_t made = 0;
};

// ".NAME.part-TAG" or ".NAME.old-TAG".
std::optional<TempName> ParseTempName(const std::string& file) {
    if (file.size() < 2 || file[0] != '.') return std::nullopt;
    for (std::string_view kind : {".part-", ".old-"}) {
        size_t at = file.rfind(kind);
        if (at == std::string::npos || at < 2) continue;
        std::optional<std::time_t> made = TagTime(std::string_view(file).substr(at + kind.size()));
        if (!made) continue;
        return TempName{file.substr(1, at - 1), kind == ".old-", *made};
    }
    return std::nullopt;
}

bool StartsAsOneOf(const std::string& name, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&name](const std::string& p) { return !p.empty() && name.compare(0, p.size(), p) == 0; });
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string LastSegment(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    return std::string(path.substr(path.find_last_of('/') + 1));
}

// The five entities XML has; a server writes "&amp;" in an href for "&".
std::string XmlDecoded(std::string_view text) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        for (const auto& [entity, c] : kEntities)
            if (text.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size() - 1;
                replaced = true;
                break;
            }
        if (!replaced) out += text[i];
    }
    return out;
}

}  // namespace

std::vector<std::string> StaleUploadNames(const std::vector<std::string>& folderNames,
                                          const std::vector<std::string>& ownNamePrefixes, std::time_t roundStart) {
    const std::set<std::string> present(folderNames.begin(), folderNames.end());
    std::vector<std::string> stale;
    for (const std::string& file : folderNames) {
        std::optional<TempName> temp = ParseTempName(file);
        if (!temp || temp->made >= roundStart || !StartsAsOneOf(temp->name, ownNamePrefixes)) continue;
        if (temp->aside && !present.count(temp->name)) continue;
        stale.push_back(file);
    }
    return stale;
}

std::vector<std::string> NamesOfMachineListing(std::string_view listing) {
    std::vector<std::string> names;
    for (std::string_view line : Lines(listing)) {
        size_t gap = line.find("; ");
        if (gap == std::string_view::npos) continue;
        std::string facts(line.substr(0, gap + 1));
        std::transform(facts.begin(), facts.end(), facts.begin(), [](unsigned char c) { return std::tolower(c); });
        if (facts.find("type=file;") == 0 || facts.find(";type=file;") != std::string::npos)
            names.emplace_back(line.substr(gap + 2));
    }
    return names;
}

std::vector<std::string> NamesOfNameList(std::string_view listing) {
    std::vector<std::string> names;
    for (std::string_view line : Lines(listing)) {
        std::string name = LastSegment(line);
        if (!name.empty() && name != "." && name != "..") names.push_back(name);
    }
    return names;
}

std::vector<std::string> NamesOfPropfind(std::string_view reply) {
    std::vector<std::string> names;
    // Elements named "href" in any namespace prefix: <D:href>, <href>, <lp1:href>.
    for (size_t at = reply.find("href>"); at != std::string_view::npos; at = reply.find("href>", at + 5)) {
        size_t open = reply.rfind('<', at);
        if (open == std::string_view::npos || reply.substr(open, 2) == "</") continue;
        size_t close = reply.find('<', at);
        if (close == std::string_view::npos) break;
        std::string_view href = reply.substr(at + 5, close - at - 5);
        // A folder's href ends in "/": the listed folder itself, or one inside it.
        if (href.empty() || href.back() == '/') continue;
        std::string name = PercentDecoded(XmlDecoded(LastSegment(href)));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

}  // namespace tidemark
