#include "devices/ftp_curl/remote_commands.h"

namespace tidemark {

namespace {

std::string LastSegment(const std::string& name) { return name.substr(name.find_last_of('/') + 1); }

bool CarriedByACommand(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

// libcurl reads an SFTP path between double quotes with "\" escaping '"' and "\", so a
// blank or a quote in a name stays part of it.
std::string QuotedSftpPath(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::optional<std::vector<std::vector<std::string>>> ReplaceCommandSets(const RemoteNames& names) {
    if (!CarriedByACommand(names.remoteName) || !CarriedByACommand(names.partName)) return std::nullopt;
    if (names.protocol == RemoteProtocol::Sftp) {
        // Over SFTP version 3, which OpenSSH's server speaks, a rename never replaces an
        // existing file and libcurl offers no posix-rename: the image is removed first,
        // leaving it missing (never broken) for one round trip. The asterisk lets the
        // first upload, with no image yet, go on.
        std::string image = QuotedSftpPath(ServerPath(names.folder, names.remoteName));
        std::string part = QuotedSftpPath(ServerPath(names.folder, names.partName));
        return std::vector<std::vector<std::string>>{{"*rm " + image, "rename " + part + " " + image}};
    }
    // After the transfer's change of directory, the files are named without a folder.
    std::string image = LastSegment(names.remoteName);
    std::string part = LastSegment(names.partName);
    std::vector<std::string> rename = {"RNFR " + part, "RNTO " + image};
    std::vector<std::string> removeFirst = {"*DELE " + image, "RNFR " + part, "RNTO " + image};
    return std::vector<std::vector<std::string>>{rename, removeFirst};
}

std::optional<std::vector<std::string>> DiscardCommands(const RemoteNames& names) {
    if (!CarriedByACommand(names.partName)) return std::nullopt;
    if (names.protocol == RemoteProtocol::Sftp)
        return std::vector<std::string>{"*rm " + QuotedSftpPath(ServerPath(names.folder, names.partName))};
    return std::vector<std::string>{"*DELE " + LastSegment(names.partName)};
}

}  // namespace tidemark
