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

// One way to put the part file in place of the image, and what puts the old image back
// when it fails half-way.
struct ReplaceAttempt {
    std::vector<std::string> commands;
    std::vector<std::string> restore;  // allowed to fail; empty when nothing can be undone
};

// The ways to put the part file in place of the image, to be tried in turn until one
// succeeds: first a plain rename (atomic where the server renames over an existing file,
// and the only step needed where no image is there yet), then for servers that refuse
// that the image is renamed aside, the part file onto its name, and the old image
// removed: a failure in between renames the old image back, so the name is never
// without an image for longer than one rename. (SFTP servers that offer a one-step
// replace get it before these: sftp_rename.h.) Nothing when a name cannot be carried by
// a command (a line break in it).
std::optional<std::vector<ReplaceAttempt>> ReplaceCommandSets(const RemoteNames& names);

// The name the old image is renamed to while the new one takes its place, beside it:
// ".NAME.old-TAG" for the part file ".NAME.part-TAG".
std::string AsideFileName(const std::string& partName);

// Removes the part file; allowed to fail, as the file may never have been made.
std::optional<std::vector<std::string>> DiscardCommands(const RemoteNames& names);

// Removes each of the files `names` of the folder, each allowed to fail (another round
// may have taken it first); a name with a line break is left out.
std::vector<std::string> RemoveCommands(RemoteProtocol protocol, const std::string& folder,
                                        const std::vector<std::string>& names);

}  // namespace tidemark
