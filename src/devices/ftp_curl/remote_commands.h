#pragma once
// The commands that finish an upload on the server, in libcurl's quote language: the
// file sent under its temporary name is renamed onto the remote name, or removed after
// a failure. FTP commands run in the folder the transfer changed into and name files
// there; SFTP commands name paths as the server resolves them.
#include <optional>
#include <string>
#include <vector>

#include "devices/net/remote_address.h"

namespace tidemark {

// Where the two names of one upload are, as the commands need them.
struct RemoteNames {
    RemoteProtocol protocol = RemoteProtocol::Ftp;
    std::string folder;      // as typed
    std::string remoteName;  // the image's name below the folder
    std::string partName;    // its temporary name (PartFileName)
};

// The ways to put the part file in place of the image, to be tried in turn until one
// succeeds: first a plain rename (atomic where the server renames over an existing
// file), then removing the image before the rename for servers that refuse that.
// Nothing when a name cannot be carried by a command (a line break in it).
std::optional<std::vector<std::vector<std::string>>> ReplaceCommandSets(const RemoteNames& names);

// Removes the part file; allowed to fail, as the file may never have been made.
std::optional<std::vector<std::string>> DiscardCommands(const RemoteNames& names);

}  // namespace tidemark
