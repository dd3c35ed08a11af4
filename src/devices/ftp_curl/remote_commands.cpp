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

// A file as the commands name it: FTP commands run in the folder the transfer changed
// into and name files there; SFTP commands name paths as the server resolves them.
std::string CommandName(const RemoteNames& names, const std::string& name) {
    if (names.protocol == RemoteProtocol::Sftp) return QuotedSftpPath(ServerPath(names.folder, name));
    return LastSegment(name);
}

// One rename, each command marked with `mark` ("*": allowed to fail).
std::vector<std::string> RenameCommands(RemoteProtocol protocol, const std::string& from, const std::string& to,
                                        const std::string& mark) {
    if (protocol == RemoteProtocol::Sftp) return {mark + "rename " + from + " " + to};
    return {mark + "RNFR " + from, mark + "RNTO " + to};
}

// Allowed to fail: the file may never have been made.
std::string RemoveCommand(RemoteProtocol protocol, const std::string& name) {
    return (protocol == RemoteProtocol::Sftp ? "*rm " : "*DELE ") + name;
}

}  // namespace

std::string AsideFileName(const std::string& partName) {
    size_t at = partName.rfind(".part-");
    if (at == std::string::npos) return partName + ".old";
    return partName.substr(0, at) + ".old-" + partName.substr(at + 6);
}

std::optional<std::vector<ReplaceAttempt>> ReplaceCommandSets(const RemoteNames& names) {
    if (!CarriedByACommand(names.remoteName) || !CarriedByACommand(names.partName)) return std::nullopt;
    const RemoteProtocol protocol = names.protocol;
    const std::string image = CommandName(names, names.remoteName);
    const std::string part = CommandName(names, names.partName);
    const std::string aside = CommandName(names, AsideFileName(names.partName));
    ReplaceAttempt inSteps;
    inSteps.commands = RenameCommands(protocol, image, aside, "");
    for (std::string& command : RenameCommands(protocol, part, image, "")) inSteps.commands.push_back(command);
    inSteps.commands.push_back(RemoveCommand(protocol, aside));
    inSteps.restore = RenameCommands(protocol, aside, image, "*");
    return std::vector<ReplaceAttempt>{{RenameCommands(protocol, part, image, ""), {}}, inSteps};
}

std::optional<std::vector<std::string>> DiscardCommands(const RemoteNames& names) {
    if (!CarriedByACommand(names.partName)) return std::nullopt;
    return std::vector<std::string>{RemoveCommand(names.protocol, CommandName(names, names.partName))};
}

std::vector<std::string> RemoveCommands(RemoteProtocol protocol, const std::string& folder,
                                        const std::vector<std::string>& names) {
    std::vector<std::string> commands;
    for (const std::string& name : names)
        if (CarriedByACommand(name))
            commands.push_back(RemoveCommand(protocol, CommandName({protocol, folder, name, {}}, name)));
    return commands;
}

}  // namespace tidemark
