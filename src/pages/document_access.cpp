#include "pages/document_access.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "core/html_text.h"
#include "core/vbtext.h"

namespace tidemark {
namespace fs = std::filesystem;
namespace {

// The scheme of an address ("file", "http", ...), lower-cased, or empty when it has
// none. One letter before the colon is a drive, not a scheme.
std::string SchemeOf(std::string_view address) {
    size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(address[0])))
        return {};
    std::string scheme;
    for (char c : address.substr(0, colon)) {
        auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.') return {};
        scheme += static_cast<char>(std::tolower(u));
    }
    return scheme;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// A relative name that walks up or says "here" is a path whatever is there; any other
// is one only when something of that name is in the program folder (the browser takes
// "www.example.org" for a web address).
bool NamesAPath(std::string_view name) {
    if (name == "." || name == ".." || name.starts_with("./") || name.starts_with("../")) return true;
    for (const fs::path& part : fs::path(name))
        if (part == "..") return true;
    return false;
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

DocumentRule::DocumentRule(const std::string& programFolder, std::string_view webFolders, const std::string& home)
    : programFolder_(programFolder), home_(home) {
    std::vector<fs::path> named{programFolder_};
    // The companions live beside the program folder, whose name the path may end in "/".
    const fs::path parent = fs::weakly_canonical(programFolder_).parent_path();
    named.push_back(parent / "Ledgerly");
    named.push_back(parent / "Streamkeep");
    size_t start = 0;
    while (start <= webFolders.size()) {
        size_t end = std::min(webFolders.find(':', start), webFolders.size());
        std::string_view entry = webFolders.substr(start, end - start);
        // An empty entry would otherwise mean the current folder.
        if (!entry.empty()) named.push_back(programFolder_ / fs::path(entry));
        start = end + 1;
    }
    for (const fs::path& folder : named) {
        std::error_code ec;
        fs::path real = fs::canonical(folder, ec);
        if (!ec && fs::is_directory(real, ec) && std::find(folders_.begin(), folders_.end(), real) == folders_.end())
            folders_.push_back(real);
    }
}

bool DocumentRule::Inside(const fs::path& real) const {
    return std::any_of(folders_.begin(), folders_.end(), [&](const fs::path& folder) {
        return std::mismatch(folder.begin(), folder.end(), real.begin(), real.end()).first == folder.end();
    });
}

DocumentCheck DocumentRule::CheckPath(const fs::path& path) const {
    std::error_code ec;
    fs::path real = fs::canonical(path, ec);
    if (ec) return {DocumentAccess::NotFound, path.lexically_normal()};
    if (!Inside(real)) return {DocumentAccess::Outside, real};
    if (!fs::is_regular_file(real, ec)) return {DocumentAccess::NotRegularFile, real};
    return {DocumentAccess::Allowed, real};
}

DocumentCheck DocumentRule::CheckFileAddress(std::string_view rest) const {
    // What follows "file:", as the browser reads it: no query or fragment, "\" as "/",
    // escapes decoded; a host other than this machine's is no local path either.
    rest = rest.substr(0, std::min(rest.find('?'), rest.find('#')));
    std::string path = PercentDecoded(rest);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.starts_with("//")) {
        size_t slash = path.find('/', 2);
        std::string host = path.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        std::string after = slash == std::string::npos ? "/" : path.substr(slash);
        path = host.empty() || LCase(host) == "localhost" ? after : "//" + host + after;
    } else if (!path.starts_with('/')) {
        path = "/" + path;
    }
    return CheckPath(path);
}

DocumentCheck DocumentRule::CheckAddress(std::string_view address) const {
    const std::string a = TrimBlanks(address);
    if (a.empty()) return {};
    const std::string scheme = SchemeOf(a);
    if (scheme == "file") return CheckFileAddress(std::string_view(a).substr(scheme.size() + 1));
    // The source of a document reads that document.
    if (scheme == "view-source") return CheckAddress(std::string_view(a).substr(scheme.size() + 1));
    if (!scheme.empty()) return {};
    if (a == "~" || a.starts_with("~/")) return CheckPath(fs::path(home_ + a.substr(1)));
    if (a.starts_with('/')) return CheckPath(a);
    const fs::path inFolder = programFolder_ / a;
    if (NamesAPath(a) || Exists(inFolder)) return CheckPath(inFolder);
    return {};
}

std::string RefusalReason(DocumentAccess access) {
    switch (access) {
        case DocumentAccess::Outside: return "it lies outside the folders web screens may show";
        case DocumentAccess::NotRegularFile: return "it is not a regular file";
        case DocumentAccess::NotFound: return "it was not found";
        case DocumentAccess::NotLocal:
        case DocumentAccess::Allowed: break;
    }
    return {};
}

std::string NotShownMessage(std::string_view address, std::string_view reason) {
    return "Web screen " + TrimBlanks(address) + " not shown: " + std::string(reason);
}

std::string RefusalMessage(std::string_view address, const DocumentCheck& check) {
    return NotShownMessage(address, RefusalReason(check.access));
}

std::string NotShownPageHtml(std::string_view address, std::string_view reason, std::string_view realPath) {
    const std::string named = TrimBlanks(address);
    const std::string real(realPath);
    std::string body = "<p><b>" + HtmlEscaped(named) + "</b> is not shown: " + HtmlEscaped(std::string(reason)) + ".";
    if (!real.empty() && real != named) body += "<br><small>" + HtmlEscaped(real) + "</small>";
    body += "</p>";
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Not shown</title>\n"
           "<style>html,body{margin:0;background:#f0f0f0}"
           "p{margin:12px;color:#333;font:16px sans-serif;overflow-wrap:anywhere}</style></head>\n<body>\n" +
           body + "\n</body></html>\n";
}

std::string RefusalPageHtml(std::string_view address, const DocumentCheck& check) {
    return NotShownPageHtml(address, RefusalReason(check.access), check.path.string());
}

}  // namespace tidemark
