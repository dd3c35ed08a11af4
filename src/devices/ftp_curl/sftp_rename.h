#pragma once
// OpenSSH's SFTP servers replace a file in one step with their posix-rename@openssh.com
// extension, which the SSH library under Debian 12's libcurl (libssh2 1.10) never
// sends: a plain SFTP rename refuses an existing target. This one step goes over a
// session of libssh's own, logged in as the upload was (libssh 0.10's own SFTP rename
// does not send the extension either, so the request is written here).
#include <chrono>
#include <string>

#include "core/result.h"

namespace tidemark {

// How the upload logged in, for the session of the rename.
struct SftpLogin {
    std::string host;
    int port = 22;
    std::string user;
    std::string password;
    std::string privateKeyFile;  // tried before the password when given
    bool checkHostKey = true;    // only a key listed for host and port in knownHostsFile
    std::string knownHostsFile;
    std::chrono::milliseconds limit{15'000};  // each wait for the server
};

enum class OneStepRename { Done, NotOffered };

// Renames `from` onto `to`, replacing a file there, in one step: Done, or NotOffered
// when the server does not offer (or refuses) the extension and nothing was changed.
// Paths as the server resolves them (relative to the login directory).
Result<OneStepRename> RenameInOneStep(const SftpLogin& login, const std::string& from, const std::string& to);

}  // namespace tidemark
