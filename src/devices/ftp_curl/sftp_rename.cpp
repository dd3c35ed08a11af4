#include "devices/ftp_curl/sftp_rename.h"

#include <libssh/libssh.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace tidemark {
namespace {

constexpr const char* kPosixRename = "posix-rename@openssh.com";

// The SFTP packets (version 3) this one step needs.
constexpr uint8_t kInit = 1, kVersion = 2, kStatus = 101, kExtended = 200;
constexpr uint32_t kStatusOk = 0, kStatusPermissionDenied = 3, kStatusUnsupported = 8;
// Far beyond any reply to these requests: a server sending more is not answering them.
constexpr uint32_t kLongestPacket = 256 * 1024;

struct SessionClose {
    void operator()(ssh_session session) const {
        if (ssh_is_connected(session)) ssh_disconnect(session);
        ssh_free(session);
    }
};
struct ChannelClose {
    void operator()(ssh_channel channel) const {
        if (ssh_channel_is_open(channel)) ssh_channel_close(channel);
        ssh_channel_free(channel);
    }
};
struct KeyClose {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using Session = std::unique_ptr<ssh_session_struct, SessionClose>;
using Channel = std::unique_ptr<ssh_channel_struct, ChannelClose>;
using Key = std::unique_ptr<ssh_key_struct, KeyClose>;

std::string Why(ssh_session session) { return ssh_get_error(session); }

// The settings libcurl's session had: this host, port and user, no configuration file
// of the system or the user, no agent, the one known-hosts file.
bool Configure(ssh_session session, const SftpLogin& login) {
    long seconds = std::max<long>(1, static_cast<long>((login.limit.count() + 999) / 1000));
    int port = login.port;
    bool readConfig = false;
    bool ok = ssh_options_set(session, SSH_OPTIONS_HOST, login.host.c_str()) == SSH_OK &&
              ssh_options_set(session, SSH_OPTIONS_PORT, &port) == SSH_OK &&
              ssh_options_set(session, SSH_OPTIONS_USER, login.user.c_str()) == SSH_OK &&
              ssh_options_set(session, SSH_OPTIONS_TIMEOUT, &seconds) == SSH_OK &&
              ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &readConfig) == SSH_OK;
    if (ok && login.checkHostKey)
        ok = ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, login.knownHostsFile.c_str()) == SSH_OK &&
             ssh_options_set(session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, login.knownHostsFile.c_str()) == SSH_OK;
    return ok;
}

bool KeyLogin(ssh_session session, const SftpLogin& login) {
    if (login.privateKeyFile.empty()) return false;
    ssh_key raw = nullptr;
    if (ssh_pki_import_privkey_file(login.privateKeyFile.c_str(), nullptr, nullptr, nullptr, &raw) != SSH_OK)
        return false;
    Key key(raw);
    return ssh_userauth_publickey(session, nullptr, key.get()) == SSH_AUTH_SUCCESS;
}

// Every question of a keyboard-interactive login is answered with the password, as
// libcurl's login does.
bool KeyboardLogin(ssh_session session, const SftpLogin& login) {
    int rc = ssh_userauth_kbdint(session, nullptr, nullptr);
    for (int rounds = 0; rc == SSH_AUTH_INFO && rounds < 8; ++rounds) {
        int questions = ssh_userauth_kbdint_getnprompts(session);
        for (int i = 0; i < questions; ++i)
            if (ssh_userauth_kbdint_setanswer(session, static_cast<unsigned>(i), login.password.c_str()) < 0)
                return false;
        rc = ssh_userauth_kbdint(session, nullptr, nullptr);
    }
    return rc == SSH_AUTH_SUCCESS;
}

Result<void> LogIn(ssh_session session, const SftpLogin& login) {
    if (ssh_connect(session) != SSH_OK) return Fault{"cannot connect for the rename: " + Why(session)};
    if (login.checkHostKey && ssh_session_is_known_server(session) != SSH_KNOWN_HOSTS_OK)
        return Fault{"the server's host key is not the one listed in " + login.knownHostsFile};
    if (KeyLogin(session, login) ||
        ssh_userauth_password(session, nullptr, login.password.c_str()) == SSH_AUTH_SUCCESS ||
        KeyboardLogin(session, login))
        return {};
    return Fault{"the login for the rename was refused: " + Why(session)};
}

// libssh 0.10's own SFTP rename never sends the extension, so the few packets of this
// step are written here, over a channel of libssh's session.
class SftpChannel {
public:
    SftpChannel(ssh_session session, ssh_channel channel, int timeoutMs)
        : session_(session), channel_(channel), timeoutMs_(timeoutMs) {}

    Result<void> Send(uint8_t type, const std::string& body) {
        std::string packet;
        AddNumber(packet, static_cast<uint32_t>(body.size() + 1));
        packet += static_cast<char>(type);
        packet += body;
        if (ssh_channel_write(channel_, packet.data(), static_cast<uint32_t>(packet.size())) !=
            static_cast<int>(packet.size()))
            return Fault{"cannot send to the SFTP server: " + Why(session_)};
        return {};
    }

    // The next packet: its type and its body.
    Result<std::pair<uint8_t, std::string>> Receive() {
        Result<std::string> length = Read(4);
        if (!length) return length.fault();
        uint32_t size = Number(*length, 0);
        if (size < 1 || size > kLongestPacket)
            return Fault{"the SFTP server sent a packet of " + std::to_string(size) + " bytes"};
        Result<std::string> packet = Read(size);
        if (!packet) return packet.fault();
        return std::make_pair(static_cast<uint8_t>((*packet)[0]), packet->substr(1));
    }

    static void AddNumber(std::string& out, uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
    }
    static void AddText(std::string& out, const std::string& text) {
        AddNumber(out, static_cast<uint32_t>(text.size()));
        out += text;
    }
    static uint32_t Number(const std::string& bytes, size_t at) {
        uint32_t value = 0;
        for (size_t i = at; i < at + 4 && i < bytes.size(); ++i) value = value << 8 | static_cast<uint8_t>(bytes[i]);
        return value;
    }
    // The string at `at`, moving `at` past it; nothing when the bytes end first.
    static std::optional<std::string> Text(const std::string& bytes, size_t& at) {
        if (at + 4 > bytes.size()) return std::nullopt;
        uint32_t size = Number(bytes, at);
        if (size > bytes.size() - at - 4) return std::nullopt;
        std::string text = bytes.substr(at + 4, size);
        at += 4 + size;
        return text;
    }

private:
    Result<std::string> Read(uint32_t count) {
        std::string bytes(count, '\0');
        uint32_t got = 0;
        while (got < count) {
            int n = ssh_channel_read_timeout(channel_, bytes.data() + got, count - got, 0, timeoutMs_);
            if (n <= 0) return Fault{"the SFTP server did not answer: " + Why(session_)};
            got += static_cast<uint32_t>(n);
        }
        return bytes;
    }

    ssh_session session_;
    ssh_channel channel_;
    int timeoutMs_;
};

// Whether the server's VERSION packet lists posix-rename@openssh.com, version "1".
Result<bool> OffersPosixRename(SftpChannel& sftp) {
    std::string init;
    SftpChannel::AddNumber(init, 3);
    if (Result<void> sent = sftp.Send(kInit, init); !sent) return sent.fault();
    Result<std::pair<uint8_t, std::string>> version = sftp.Receive();
    if (!version) return version.fault();
    if (version->first != kVersion) return Fault{"the SFTP server did not start as SFTP servers do"};
    size_t at = 4;
    while (std::optional<std::string> name = SftpChannel::Text(version->second, at)) {
        std::optional<std::string> data = SftpChannel::Text(version->second, at);
        if (*name == kPosixRename && data == "1") return true;
    }
    return false;
}

Result<OneStepRename> PosixRename(SftpChannel& sftp, const std::string& from, const std::string& to) {
    std::string request;
    SftpChannel::AddNumber(request, 1);  // the request's id
    SftpChannel::AddText(request, kPosixRename);
    SftpChannel::AddText(request, from);
    SftpChannel::AddText(request, to);
    if (Result<void> sent = sftp.Send(kExtended, request); !sent) return sent.fault();
    Result<std::pair<uint8_t, std::string>> reply = sftp.Receive();
    if (!reply) return reply.fault();
    if (reply->first != kStatus || SftpChannel::Number(reply->second, 0) != 1)
        return Fault{"the SFTP server answered the rename with something else than its status"};
    uint32_t status = SftpChannel::Number(reply->second, 4);
    if (status == kStatusOk) return OneStepRename::Done;
    // A server may list the extension and still refuse it (OpenSSH's can be told to).
    if (status == kStatusUnsupported || status == kStatusPermissionDenied) return OneStepRename::NotOffered;
    size_t at = 8;
    std::optional<std::string> message = SftpChannel::Text(reply->second, at);
    return Fault{"the SFTP server refused the rename (status " + std::to_string(status) + ": " + message.value_or("") +
                 ")"};
}

}  // namespace

Result<OneStepRename> RenameInOneStep(const SftpLogin& login, const std::string& from, const std::string& to) {
    Session session(ssh_new());
    if (!session || !Configure(session.get(), login)) return Fault{"libssh cannot make a session"};
    if (Result<void> in = LogIn(session.get(), login); !in) return in.fault();
    Channel channel(ssh_channel_new(session.get()));
    if (!channel || ssh_channel_open_session(channel.get()) != SSH_OK ||
        ssh_channel_request_subsystem(channel.get(), "sftp") != SSH_OK)
        return Fault{"cannot start SFTP for the rename: " + Why(session.get())};
    SftpChannel sftp(session.get(), channel.get(),
                     static_cast<int>(std::min<long long>(login.limit.count(), 3'600'000)));
    Result<bool> offered = OffersPosixRename(sftp);
    if (!offered) return offered.fault();
    if (!*offered) return OneStepRename::NotOffered;
    return PosixRename(sftp, from, to);
}

}  // namespace tidemark
