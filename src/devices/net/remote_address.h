#pragma once
// The web site address as the user types it, and the URL an upload goes to.
//   host, host:port, [v6]:port      -> FTP, port 21 unless given
//   ftp://host[:port]               -> FTP
//   ftps://host[:port]              -> FTP with explicit TLS (AUTH TLS on the usual port 21,
//                                      not the implicit-TLS port 990 curl gives ftps://)
//   sftp://host[:port]              -> SFTP, port 22 unless given
//   https://host[:port]             -> WebDAV over TLS (PUT, then MOVE), port 443 unless given
//   http://host[:port]              -> WebDAV, port 80 unless given
#include <string>
#include <string_view>

#include "core/result.h"

namespace tidemark {

enum class RemoteProtocol { Ftp, Ftps, Sftp, Http, Https };

// Whether files go up by HTTP (PUT and MOVE) rather than by FTP or SFTP commands.
constexpr bool IsWebDav(RemoteProtocol protocol) {
    return protocol == RemoteProtocol::Http || protocol == RemoteProtocol::Https;
}

struct RemoteAddress {
    RemoteProtocol protocol = RemoteProtocol::Ftp;
    std::string host;  // without brackets for an IPv6 address
    int port = 21;
};

// Reads the typed address (outer blanks ignored, scheme in any letter case, trailing
// "/" allowed). User names, passwords and folders have boxes of their own, so an
// address holding "@" or a path is refused rather than guessed at.
Result<RemoteAddress> ParseRemoteAddress(std::string_view typed);

// "FTP", "FTPS", "SFTP", "HTTP" or "HTTPS", for messages.
const char* ProtocolLabel(RemoteProtocol protocol);

// host:port as a person would write it, for messages ("[::1]:21" for IPv6).
std::string HostAndPort(const RemoteAddress& address);

// Percent-encodes everything but the URL's unreserved characters, so one folder or
// file name travels as one path segment whatever it holds (blanks, "#", "%", "?").
std::string EscapePathSegment(std::string_view segment);

// The URL of the remote file: the folder (empty = the login directory; a leading "/"
// = from the server's root), then the remote name, each "/"-separated part escaped on
// its own. FTPS uses ftp:// (TLS is asked for by option). SFTP paths that are not
// absolute go below the login directory ("/~/"). HTTP paths always start at the site's
// root.
std::string RemoteFileUrl(const RemoteAddress& address, std::string_view folder, std::string_view remoteName);

// The URL of a folder, ending in "/": the folder below which RemoteFileUrl puts a file
// whose remote name is subfolder + "/" + a name.
std::string RemoteFolderUrl(const RemoteAddress& address, std::string_view folder, std::string_view subfolder);

// The path an SFTP server is given in a command: relative to the login directory
// (where the server starts) unless the folder starts with "/"; segments unescaped.
std::string ServerPath(std::string_view folder, std::string_view remoteName);

// The name an upload is first stored under, beside the remote name: hidden (a leading
// dot), not ending in the image's extension, so a web server neither lists it nor
// serves it as the image, and ending ".part-" + tag (what tells one upload's file from
// another's).
std::string PartFileName(std::string_view remoteName, std::string_view tag);

}  // namespace tidemark
