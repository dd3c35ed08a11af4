#include "support/webdav_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "core/textfile.h"
#include "support/ftp_server.h"
#include "support/loopback.h"
#include "support/run_program.h"

namespace tidemark::testsupport {
namespace {

// The account nginx runs under when the tests run as root: nginx's workers must not be
// root, and the master given no "user" runs them as itself.
constexpr unsigned kNobody = 65534;

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

std::string Config(const std::string& dir, int port) {
    return "daemon off;\n"
           "worker_processes 1;\n"
           "pid " +
           dir +
           "nginx.pid;\n"
           "error_log " +
           dir +
           "error.log;\n"
           "events { worker_connections 32; }\n"
           "http {\n"
           "  log_format order '$request_method $uri $status';\n"
           "  access_log " +
           dir +
           "requests.log order;\n"
           "  client_body_temp_path " +
           dir +
           "tmp/body;\n"
           "  proxy_temp_path " +
           dir +
           "tmp/proxy;\n"
           "  fastcgi_temp_path " +
           dir +
           "tmp/fastcgi;\n"
           "  uwsgi_temp_path " +
           dir +
           "tmp/uwsgi;\n"
           "  scgi_temp_path " +
           dir +
           "tmp/scgi;\n"
           "  client_max_body_size 64m;\n"
           "  server {\n"
           "    listen 127.0.0.1:" +
           std::to_string(port) +
           " ssl;\n"
           "    ssl_certificate " +
           dir +
           "cert.pem;\n"
           "    ssl_certificate_key " +
           dir +
           "key.pem;\n"
           "    root " +
           dir +
           "site;\n"
           "    location / {\n"
           "      dav_methods PUT DELETE MOVE;\n"
           "      create_full_put_path on;\n"
           "      dav_access user:rw group:r all:r;\n"
           "      auth_basic \"publishing\";\n"
           "      auth_basic_user_file " +
           dir +
           "htpasswd;\n"
           "    }\n"
           "  }\n"
           "}\n";
}

void OwnAll(const std::string& path, unsigned uid) {
    std::error_code ec;
    if (chown(path.c_str(), uid, uid) != 0) return;
    // A file that stays root's is told by the server's own refusal when it is written.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ec))
        if (chown(entry.path().c_str(), uid, uid) != 0) continue;
}

}  // namespace

bool WebDavServer::WriteFiles(std::string* error) const {
    std::error_code ec;
    for (const char* sub : {"site", "tmp"}) std::filesystem::create_directories(folder_.File(sub), ec);
    if (!MakeSelfSignedCertificate(folder_, error)) return false;
    ProgramResult hash = RunProgram({"openssl", "passwd", "-apr1", Password()}, folder_.File("passwd.out"));
    std::vector<std::string> lines = NonEmptyLines(hash.output);
    if (hash.exitCode != 0 || lines.empty()) {
        if (error) *error = "openssl passwd failed: " + hash.output;
        return false;
    }
    if (!WriteFileAtomic(folder_.File("htpasswd"), User() + ":" + lines.back() + "\n") ||
        !WriteFileAtomic(folder_.File("nginx.conf"), Config(folder_.Path(), port_))) {
        if (error) *error = "cannot write the server's files in " + folder_.Path();
        return false;
    }
    return true;
}

bool WebDavServer::Launch(std::string* error) {
    std::vector<std::string> argv;
    if (geteuid() == 0) {
        OwnAll(folder_.Path(), kNobody);
        argv = {"setpriv", "--reuid=" + std::to_string(kNobody), "--regid=" + std::to_string(kNobody),
                "--clear-groups"};
    }
    for (const std::string& a : {std::string("/usr/sbin/nginx"), std::string("-p"), folder_.Path(), std::string("-e"),
                                 folder_.File("error.log"), std::string("-c"), folder_.File("nginx.conf")})
        argv.push_back(a);
    if (!process_.Start(argv, folder_.File("nginx.out"), error)) return false;
    for (int i = 0; i < 100; ++i) {
        if (Accepts(port_)) return true;
        if (!process_.Running()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (error)
        *error = "nginx did not come up on port " + std::to_string(port_) + ":\n" +
                 ReadWholeFile(folder_.File("nginx.out")) + ReadWholeFile(folder_.File("error.log"));
    process_.Stop();
    return false;
}

bool WebDavServer::Start(std::string* error) {
    if (!folder_.ok()) {
        if (error) *error = folder_.error();
        return false;
    }
    if (access("/usr/sbin/nginx", X_OK) != 0) {
        if (error) *error = "/usr/sbin/nginx is missing (Debian's nginx-light)";
        return false;
    }
    // Another program may take the free port first: a few tries.
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = FreeLoopbackPort();
        if (port_ == 0) continue;
        if (!WriteFiles(error)) return false;
        if (Launch(error)) return true;
    }
    return false;
}

std::string WebDavServer::Read(const std::string& relative) const { return ReadWholeFile(Root() + relative); }

bool WebDavServer::Exists(const std::string& relative) const { return FileExists(Root() + relative); }

std::vector<std::string> WebDavServer::Requests() const {
    return NonEmptyLines(ReadWholeFile(folder_.File("requests.log")));
}

}  // namespace tidemark::testsupport
