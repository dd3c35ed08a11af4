#include "support/ssh_server.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/loopback.h"
#include "support/run_program.h"

namespace tidemark::testsupport {

namespace {

constexpr const char* kSshd = "/usr/sbin/sshd";

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// "type base64" of an OpenSSH public key file, without its comment.
std::string KeyOfPublicFile(const std::string& path) {
    std::string line = FirstLine(ReadWholeFile(path));
    size_t second = line.find(' ', line.find(' ') + 1);
    return line.substr(0, second);
}

}  // namespace

bool SshServer::MakeKey(const std::string& name, std::string* error) const {
    std::vector<std::string> argv = {"ssh-keygen", "-q", "-t", "ed25519", "-N",
                                     "",           "-C", name, "-f",      folder_.File(name)};
    ProgramResult result = RunProgram(argv, folder_.File("ssh-keygen.out"));
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed:\n" + result.output;
    return false;
}

bool SshServer::MakeKeys(std::string* error) const {
    return MakeKey("host_key", error) && MakeKey("client_key", error) && MakeKey("stranger_key", error) &&
           folder_.Write("authorized_keys", ReadWholeFile(folder_.File("client_key.pub")), error);
}

// A shadow file with only the login user, whose password is Password(); usable only
// when a private mount namespace can lay it over /etc/shadow.
bool SshServer::MakePrivateShadow(std::string* error) {
    passwordLogin_ = false;
    if (geteuid() != 0) return true;
    std::vector<std::string> argv = {"openssl", "passwd", "-6", Password()};
    ProgramResult hash = RunProgram(argv, folder_.File("passwd.out"));
    if (hash.exitCode != 0) {
        if (error) *error = "openssl passwd failed:\n" + hash.output;
        return false;
    }
    std::string shadow = folder_.File("shadow");
    if (!folder_.Write("shadow", user_ + ":" + FirstLine(hash.output) + ":19000:0:99999:7:::\n", error)) return false;
    chmod(shadow.c_str(), 0600);
    ProgramResult probe = RunProgram({"unshare", "-m", "sh", "-c", "mount --bind '" + shadow + "' /etc/shadow"},
                                     folder_.File("probe.out"));
    passwordLogin_ = probe.exitCode == 0;
    return true;
}

// Debian's sftp-server, started in the login directory, logging every request to a file
// of its own (run by the user's shell, which takes the redirection).
std::string SshServer::SftpSubsystem() const {
    std::string command = "Subsystem sftp /usr/lib/openssh/sftp-server -e -l INFO -d '" + LoginDirectory() + "'";
    if (!deniedSftpRequests_.empty()) command += " -P " + deniedSftpRequests_;
    return command + " 2>>'" + folder_.File("sftp.log") + "'";
}

bool SshServer::WriteConfig(std::string* error) const {
    std::string config = "ListenAddress 127.0.0.1:" + std::to_string(port_) + "\n" + "HostKey " +
                         folder_.File("host_key") + "\n" + "AuthorizedKeysFile " + folder_.File("authorized_keys") +
                         "\n" + SftpSubsystem() + "\n" +
                         "PidFile none\n"
                         "UsePAM no\n"
                         "StrictModes no\n"
                         "PermitRootLogin yes\n"
                         "PubkeyAuthentication yes\n"
                         "PasswordAuthentication yes\n"
                         "KbdInteractiveAuthentication no\n"
                         "UseDNS no\n"
                         "PrintMotd no\n"
                         "LoginGraceTime 30\n"
                         "LogLevel VERBOSE\n"
                         // The user's shell starts the SFTP server: not with the user's
                         // own start-up files, which may take seconds.
                         "SetEnv HOME=" +
                         folder_.File("shell-home") + "\n";
    return folder_.Write("sshd_config", config, error);
}

bool SshServer::WriteKnownHosts(std::string* error) const {
    std::string host = "[127.0.0.1]:" + std::to_string(port_) + " ";
    return folder_.Write("known_hosts", host + KeyOfPublicFile(folder_.File("host_key.pub")) + "\n", error) &&
           folder_.Write("stranger_known_hosts", host + KeyOfPublicFile(folder_.File("stranger_key.pub")) + "\n",
                         error);
}

bool SshServer::Launch(std::string* error) {
    std::string config = folder_.File("sshd_config");
    std::string sshd = std::string(kSshd) + " -D -e -f '" + config + "'";
    std::vector<std::string> argv = {kSshd, "-D", "-e", "-f", config};
    if (passwordLogin_)
        argv = {"unshare", "-m", "sh", "-c",
                "mount --bind '" + folder_.File("shadow") + "' /etc/shadow && exec " + sshd};
    std::string log = folder_.File("sshd.log");
    if (!process_.Start(argv, log, error)) return false;
    if (WaitForText(log, "Server listening on 127.0.0.1 port " + std::to_string(port_), process_,
                    std::chrono::seconds(10)))
        return true;
    process_.Stop();
    if (error) *error = "sshd did not start:\n" + ReadWholeFile(log);
    return false;
}

std::vector<std::string> SshServer::SftpRequests() const {
    std::vector<std::string> requests;
    for (std::string line : NonEmptyLines(ReadWholeFile(folder_.File("sftp.log")))) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "... sftp-server[123]: rename old ..." or, from internal-sftp, "rename old ...".
        for (const char* word : {"open ", "close ", "rename old ", "posix-rename old ", "remove name "}) {
            size_t at = line.find(word);
            if (at != std::string::npos && (at == 0 || line[at - 1] == ' ' || line[at - 1] == ':')) {
                requests.push_back(line.substr(at));
                break;
            }
        }
    }
    return requests;
}

bool SshServer::Start(std::string* error) {
    if (!folder_.ok()) {
        if (error) *error = folder_.error();
        return false;
    }
    if (access(kSshd, X_OK) != 0) {
        if (error) *error = std::string(kSshd) + " is missing (package openssh-server)";
        return false;
    }
    passwd* account = getpwuid(geteuid());
    if (!account) {
        if (error) *error = "The running user has no name";
        return false;
    }
    user_ = account->pw_name;
    // sshd refuses to start as root without its privilege-separation folder.
    if (geteuid() == 0) mkdir("/run/sshd", 0755);
    mkdir(LoginDirectory().c_str(), 0755);
    if (!MakeKeys(error) || !MakePrivateShadow(error)) return false;

    // A port found free can be taken before sshd binds it; try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = FreeLoopbackPort();
        if (port_ != 0 && WriteConfig(error) && WriteKnownHosts(error) && Launch(error)) return true;
    }
    return false;
}

}  // namespace tidemark::testsupport
