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

std::string AsideFileName(const std::string& partName) {
    size_t at = partName.rfind(".part-");
    if (at == std::string::npos) return partName + ".old";
    return partName.substr(0, at) + ".old-" + partName.substr(at + 6);
}

std::optional<std::vector<ReplaceAttempt>> ReplaceCommandSets(const RemoteNames& names) {
    if (!CarriedByACommand(names.remoteName) || !CarriedByACommand(names.partName)) return std::nullopt;
    const std::string asideName = AsideFileName(names.partName);
    if (names.protocol == RemoteProtocol::Sftp) {
        // Over SFTP version 3, which OpenSSH's server speaks, a rename never replaces an
        // existing file, and libcurl's rename is the plain one (it never sends
        // posix-rename@openssh.com): the image is removed first, leaving it missing
        // (never broken) for the one rename. The asterisk lets the first upload, with no
        // image yet, go on.
        std::string image = QuotedSftpPath(ServerPath(names.folder, names.remoteName));
        std::string part = QuotedSftpPath(ServerPath(names.folder, names.partName));
        return std::vector<ReplaceAttempt>{{{"*rm " + image, "rename " + part + " " + image}, {}}};
    }
    // After the transfer's change of directory, the files are named without a folder.
    std::string image = LastSegment(names.remoteName);
    std::string part = LastSegment(names.partName);
    std::string aside = LastSegment(asideName);
    return std::vector<ReplaceAttempt>{
        {{"RNFR " + part, "RNTO " + image}, {}},
        {{"RNFR " + image, "RNTO " + aside, "RNFR " + part, "RNTO " + image, "*DELE " + aside},
         {"*RNFR " + aside, "*RNTO " + image}}};
}

std::optional<std::vector<std::string>> DiscardCommands(const RemoteNames& names) {
    if (!CarriedByACommand(names.partName)) return std::nullopt;
    if (names.protocol == RemoteProtocol::Sftp)
        return std::vector<std::string>{"*rm " + QuotedSftpPath(ServerPath(names.folder, names.partName))};
    return std::vector<std::string>{"*DELE " + LastSegment(names.partName)};
}

}  // namespace tidemark
