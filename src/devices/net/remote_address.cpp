#include "devices/net/remote_address.h"

#include <charconv>
#include <optional>
#include <vector>

namespace tidemark {

namespace {

constexpr int kFtpPort = 21;
constexpr int kSshPort = 22;
constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string Lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

int DefaultPort(RemoteProtocol protocol) {
    switch (protocol) {
        case RemoteProtocol::Ftp:
        case RemoteProtocol::Ftps: return kFtpPort;
        case RemoteProtocol::Sftp: return kSshPort;
        case RemoteProtocol::Http: return kHttpPort;
        case RemoteProtocol::Https: return kHttpsPort;
    }
    return kFtpPort;
}

std::optional<RemoteProtocol> ProtocolOfScheme(const std::string& scheme) {
    if (scheme == "ftp") return RemoteProtocol::Ftp;
    if (scheme == "ftps") return RemoteProtocol::Ftps;
    if (scheme == "sftp") return RemoteProtocol::Sftp;
    if (scheme == "http") return RemoteProtocol::Http;
    if (scheme == "https") return RemoteProtocol::Https;
    return std::nullopt;
}

std::optional<int> ParsePort(std::string_view text) {
    int port = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

// Splits "host", "host:port", "[v6]" or "[v6]:port"; an unbracketed address with more
// than one ":" is an IPv6 address without a port.
Result<RemoteAddress> SplitHostAndPort(std::string_view text, RemoteProtocol protocol) {
    RemoteAddress address{protocol, {}, DefaultPort(protocol)};
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string_view::npos) return Fault{"The address has \"[\" without \"]\""};
        address.host = std::string(text.substr(1, close - 1));
        std::string_view after = text.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return Fault{"Unexpected text after \"]\" in the address"};
            portText = after.substr(1);
            hasPort = true;
        }
    } else if (size_t colon = text.find(':');
               colon != std::string_view::npos && text.find(':', colon + 1) == text.npos) {
        address.host = std::string(text.substr(0, colon));
        portText = text.substr(colon + 1);
        hasPort = true;
    } else {
        address.host = std::string(text);
    }
    if (address.host.empty()) return Fault{"The address names no host"};
    if (hasPort) {
        std::optional<int> port = ParsePort(portText);
        if (!port) return Fault{"The port \"" + std::string(portText) + "\" is not a number from 1 to 65535"};
        address.port = *port;
    }
    return address;
}

std::vector<std::string_view> PathSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        if (slash > start) segments.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return segments;
}

// The "/"-separated parts of every piece, each escaped, joined by "/"; empty parts
// (doubled or outer slashes) are dropped.
std::string EscapedPath(std::initializer_list<std::string_view> pieces) {
    std::string path;
    for (std::string_view piece : pieces)
        for (std::string_view segment : PathSegments(piece))
            path += (path.empty() ? "" : "/") + EscapePathSegment(segment);
    return path;
}

}  // namespace

Result<RemoteAddress> ParseRemoteAddress(std::string_view typed) {
    std::string_view text = Trim(typed);
    if (text.empty()) return Fault{"No web site address was given"};

    RemoteProtocol protocol = RemoteProtocol::Ftp;
    if (size_t separator = text.find("://"); separator != std::string_view::npos) {
        std::string scheme = Lowercase(text.substr(0, separator));
        std::optional<RemoteProtocol> known = ProtocolOfScheme(scheme);
        if (!known)
            return Fault{"Addresses starting \"" + scheme +
                         "://\" are not served; use ftp://, ftps://, sftp://, https:// or http://"};
        protocol = *known;
        text = text.substr(separator + 3);
    }
    while (!text.empty() && text.back() == '/') text.remove_suffix(1);

    if (text.find('/') != std::string_view::npos)
        return Fault{"The address holds a folder; the website folder has a box of its own"};
    if (text.find('@') != std::string_view::npos)
        return Fault{"The address holds a user name; the user name has a box of its own"};
    if (text.find_first_of(" \t") != std::string_view::npos) return Fault{"The address holds a blank"};
    return SplitHostAndPort(text, protocol);
}

const char* ProtocolLabel(RemoteProtocol protocol) {
    switch (protocol) {
        case RemoteProtocol::Ftp: return "FTP";
        case RemoteProtocol::Ftps: return "FTPS";
        case RemoteProtocol::Sftp: return "SFTP";
        case RemoteProtocol::Http: return "HTTP";
        case RemoteProtocol::Https: return "HTTPS";
    }
    return "FTP";
}

std::string HostAndPort(const RemoteAddress& address) {
    bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::string EscapePathSegment(std::string_view segment) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (char c : segment) {
        auto byte = static_cast<unsigned char>(c);
        bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
        if (unreserved) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        }
    }
    return escaped;
}

namespace {

// The URL up to the path: FTP paths in URLs are relative to the login directory, and an
// encoded "/" at the start of the first segment makes the directory change start at
// the root. SFTP paths are absolute, with "/~" standing for the login directory.
std::string UrlBeforePath(const RemoteAddress& address, bool fromRoot) {
    if (IsWebDav(address.protocol))
        return std::string(address.protocol == RemoteProtocol::Https ? "https" : "http") + "://" +
               HostAndPort(address) + "/";
    bool sftp = address.protocol == RemoteProtocol::Sftp;
    std::string url = std::string(sftp ? "sftp" : "ftp") + "://" + HostAndPort(address);
    if (sftp) return url + (fromRoot ? "/" : "/~/");
    return url + (fromRoot ? "/%2F" : "/");
}

bool FromRoot(std::string_view folder) { return !folder.empty() && folder.front() == '/'; }

}  // namespace

std::string RemoteFileUrl(const RemoteAddress& address, std::string_view folder, std::string_view remoteName) {
    return UrlBeforePath(address, FromRoot(folder)) + EscapedPath({folder, remoteName});
}

std::string RemoteFolderUrl(const RemoteAddress& address, std::string_view folder, std::string_view subfolder) {
    std::string path = EscapedPath({folder, subfolder});
    return UrlBeforePath(address, FromRoot(folder)) + (path.empty() ? "" : path + "/");
}

std::string ServerPath(std::string_view folder, std::string_view remoteName) {
    std::string path = FromRoot(folder) ? "/" : "";
    for (std::string_view piece : {folder, remoteName})
        for (std::string_view segment : PathSegments(piece))
            path += std::string(path.empty() || path == "/" ? "" : "/") + std::string(segment);
    return path;
}

std::string PartFileName(std::string_view remoteName, std::string_view tag) {
    size_t slash = remoteName.find_last_of('/');
    std::string_view folder = slash == std::string_view::npos ? std::string_view() : remoteName.substr(0, slash + 1);
    std::string_view name = remoteName.substr(folder.size());
    return std::string(folder) + "." + std::string(name) + ".part-" + std::string(tag);
}

}  // namespace tidemark
