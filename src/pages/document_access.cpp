#include "pages/document_access.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "core/html_text.h"
#include "core/url_text.h"
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

bool IsWebAddressWithoutScheme(std::string_view address) { return LCase(std::string(address.substr(0, 4))) == "www."; }

// The root, the home folder or a folder above it: every file the user has.
bool OpensEverything(const fs::path& real, const fs::path& home) {
    if (real == real.root_path()) return true;
    std::error_code ec;
    const fs::path realHome = fs::weakly_canonical(home, ec);
    if (ec || realHome.empty()) return false;
    return std::mismatch(real.begin(), real.end(), realHome.begin(), realHome.end()).first == real.end();
}

}  // namespace

DocumentAccess AccessOf(OpenedAccess opened) {
    switch (opened) {
        case OpenedAccess::Opened: return DocumentAccess::Allowed;
        case OpenedAccess::NotFound: return DocumentAccess::NotFound;
        case OpenedAccess::Outside: return DocumentAccess::Outside;
        case OpenedAccess::NotRegularFile: return DocumentAccess::NotRegularFile;
        case OpenedAccess::SharedLink: return DocumentAccess::SharedLink;
        case OpenedAccess::Unreadable: return DocumentAccess::Unreadable;
    }
    return DocumentAccess::NotFound;
}

DocumentRule::DocumentRule(const std::string& programFolder, std::string_view webFolders, const std::string& home)
    : programFolder_(programFolder), home_(home) {
    // The program folder is where the user chose to run the program: taken as it is.
    AddFolder(programFolder, programFolder_, FolderCheck::AsItIs);
    // The companions live beside the program folder, whose name the path may end in "/".
    const fs::path parent = fs::weakly_canonical(programFolder_).parent_path();
    AddFolder("../Ledgerly", parent / "Ledgerly");
    AddFolder("../Streamkeep", parent / "Streamkeep");
    size_t start = 0;
    while (start <= webFolders.size()) {
        size_t end = std::min(webFolders.find(':', start), webFolders.size());
        const std::string entry(webFolders.substr(start, end - start));
        start = end + 1;
        // An empty entry would otherwise mean the current folder.
        if (entry.empty()) continue;
        if (entry == "~" || entry.starts_with("~/")) {
            AddFolder(entry, fs::path(home_ + entry.substr(1)));
        } else if (entry.starts_with('~')) {
            // "~user" is another user's home, which this program has no business showing.
            refused_.push_back({entry, "only \"~\" or \"~/\" can start a folder"});
        } else {
            AddFolder(entry, programFolder_ / fs::path(entry));
        }
    }
}

void DocumentRule::AddFolder(const std::string& entry, const fs::path& folder, FolderCheck check) {
    std::error_code ec;
    fs::path real = fs::canonical(folder, ec);
    // A companion folder that is not there is no fault: most setups have none.
    if (ec || !fs::is_directory(real, ec)) return;
    if (check == FolderCheck::RefuseEverything && OpensEverything(real, home_)) {
        refused_.push_back({entry, "it opens " + real.string() + " and every file below it"});
        return;
    }
    if (std::find(folders_.begin(), folders_.end(), real) == folders_.end()) folders_.push_back(real);
}

DocumentCheck DocumentRule::CheckPath(const fs::path& path) const {
    std::error_code ec;
    fs::path real = fs::canonical(path, ec);
    if (ec) return {DocumentAccess::NotFound, path.lexically_normal()};
    if (!InsideFolders(real, folders_)) return {DocumentAccess::Outside, real};
    if (!fs::is_regular_file(real, ec)) return {DocumentAccess::NotRegularFile, real};
    return {DocumentAccess::Allowed, real};
}

OpenedDocument DocumentRule::Open(const fs::path& path) const { return OpenedDocument::Open(path, folders_); }

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
    if (!scheme.empty() || IsWebAddressWithoutScheme(a)) return {};
    if (a == "~" || a.starts_with("~/")) return CheckPath(fs::path(home_ + a.substr(1)));
    if (a.starts_with('/')) return CheckPath(a);
    // Any other name is a file of the program folder, there or not: a missing one is told
    // as missing, never looked up on the network.
    return CheckPath(programFolder_ / a);
}

std::string RefusalReason(DocumentAccess access) {
    switch (access) {
        case DocumentAccess::Outside: return "it lies outside the folders web screens may show";
        case DocumentAccess::NotRegularFile: return "it is not a regular file";
        case DocumentAccess::NotFound: return "it was not found";
        case DocumentAccess::SharedLink:
            return "it belongs to another user and has further hard links, which may lie anywhere";
        case DocumentAccess::Unreadable: return "it may not be read";
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

std::string NotShownPageHtml(std::string_view address, std::string_view reason) {
    const std::string named = TrimBlanks(address);
    const std::string body =
        "<p><b>" + HtmlEscaped(named) + "</b> is not shown: " + HtmlEscaped(std::string(reason)) + ".</p>";
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Not shown</title>\n"
           "<style>html,body{margin:0;background:#f0f0f0}"
           "p{margin:12px;color:#333;font:16px sans-serif;overflow-wrap:anywhere}</style></head>\n<body>\n" +
           body + "\n</body></html>\n";
}

std::string RefusalPageHtml(std::string_view address, const DocumentCheck& check) {
    return NotShownPageHtml(address, RefusalReason(check.access));
}

std::string RefusedFolderMessage(const RefusedFolder& refused) {
    return "Web folder " + refused.entry + " not used: " + refused.reason;
}

}  // namespace tidemark
