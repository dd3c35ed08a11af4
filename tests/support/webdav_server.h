#pragma once
// A private WebDAV server for the HTTPS publishing tests: Debian's nginx with its dav
// module, a configuration, certificate, password file, pid file and temporary folders of
// its own in a temporary folder, on a free loopback port. Running as root it is started
// as the unprivileged user nobody, owning that folder.
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tidemark::testsupport {

class WebDavServer {
public:
    WebDavServer() = default;
    ~WebDavServer() { Stop(); }
    WebDavServer(const WebDavServer&) = delete;
    WebDavServer& operator=(const WebDavServer&) = delete;

    // False with the reason (the tools' or the server's output) when it does not come up.
    bool Start(std::string* error);
    void Stop() { process_.Stop(); }

    int Port() const { return port_; }
    // The address as line 1 of the publishing settings names it.
    std::string Address() const { return "https://127.0.0.1:" + std::to_string(port_); }
    std::string User() const { return "publisher"; }
    std::string Password() const { return "dav pw: 'x' & y"; }
    // The certificate the server shows (self-signed), to be trusted as a site's own CA.
    std::string CaFile() const { return folder_.File("cert.pem"); }

    // The site's document root, with a trailing "/".
    std::string Root() const { return folder_.File("site/"); }
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Every request answered so far, in order: "METHOD /path STATUS".
    std::vector<std::string> Requests() const;

private:
    bool WriteFiles(std::string* error) const;
    bool Launch(std::string* error);

    TempFolder folder_{"tidemark-webdav"};
    ChildProcess process_;
    int port_ = 0;
};

}  // namespace tidemark::testsupport
