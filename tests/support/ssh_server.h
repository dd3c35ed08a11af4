#pragma once
// A private SSH server for SFTP tests: Debian's sshd with a configuration, host key,
// authorized key and login directory of its own in a temporary folder, on a free
// loopback port. The login user is the one running the tests.
//
// Password logins need a password the tests know. Running as root, sshd is started in
// a private mount namespace where a shadow file made here, with that password for the
// user, stands over /etc/shadow: the system's own files are never changed. Where that
// cannot be done only key logins are offered (PasswordLogin() is false).
#include <string>
#include <utility>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tidemark::testsupport {

class SshServer {
public:
    // `deniedSftpRequests`: SFTP requests the server refuses although it offers them
    // (sftp-server's -P list, e.g. "posix-rename").
    explicit SshServer(std::string deniedSftpRequests = {}) : deniedSftpRequests_(std::move(deniedSftpRequests)) {}
    ~SshServer() { process_.Stop(); }
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    // False with the reason (the tools' or the server's output) when it does not come up.
    bool Start(std::string* error);

    int Port() const { return port_; }
    std::string HostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string User() const { return user_; }
    std::string Password() const { return "sftp pw: 'x' & y"; }
    bool PasswordLogin() const { return passwordLogin_; }

    // Lists this server's host key for 127.0.0.1 and its port.
    std::string KnownHostsFile() const { return folder_.File("known_hosts"); }
    // Lists another key for the same host and port: what a man in the middle would show.
    std::string StrangerKnownHostsFile() const { return folder_.File("stranger_known_hosts"); }
    // An unencrypted key the server accepts for the user.
    std::string PrivateKeyFile() const { return folder_.File("client_key"); }

    // Where an SFTP session starts, with a trailing "/".
    std::string LoginDirectory() const { return folder_.File("home/"); }

    // What the server has logged, its SFTP requests among it: "open ...", "rename old
    // \"A\" new \"B\"", "posix-rename old \"A\" new \"B\"", "remove name \"A\"", with
    // paths as the client named them.
    std::vector<std::string> SftpRequests() const;

private:
    bool MakeKey(const std::string& name, std::string* error) const;
    bool MakeKeys(std::string* error) const;
    bool MakePrivateShadow(std::string* error);
    std::string SftpSubsystem() const;
    bool WriteConfig(std::string* error) const;
    bool WriteKnownHosts(std::string* error) const;
    bool Launch(std::string* error);

    std::string deniedSftpRequests_;
    TempFolder folder_{"tidemark-sshd"};
    ChildProcess process_;
    std::string user_;
    int port_ = 0;
    bool passwordLogin_ = false;
};

}  // namespace tidemark::testsupport
