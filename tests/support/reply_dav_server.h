#pragma once
// A small WebDAV server (reply_dav_server.py) that answers every request with an HTML
// body, as Apache and rclone do, and can refuse to store chosen files: plain HTTP on
// loopback, one user, a site folder of its own in a temporary folder.
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tidemark::testsupport {

class ReplyingDavServer {
public:
    ReplyingDavServer() = default;
    ~ReplyingDavServer() { process_.Stop(); }
    ReplyingDavServer(const ReplyingDavServer&) = delete;
    ReplyingDavServer& operator=(const ReplyingDavServer&) = delete;

    // False with the reason (the server's output) when it does not come up.
    bool Start(std::string* error);
    // From now on a PUT of any path that holds one of `texts` is answered "403 Forbidden".
    void Refuse(const std::vector<std::string>& texts) const;

    std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string User() const { return "publisher"; }
    std::string Password() const { return "reply pw"; }

    // The site's folder, with a trailing "/".
    std::string Root() const { return folder_.File("site/"); }
    std::string Read(const std::string& relative) const;
    // Every request answered so far, in order: "METHOD /path STATUS".
    std::vector<std::string> Requests() const;

private:
    TempFolder folder_{"tidemark-replydav"};
    ChildProcess process_;
    int port_ = 0;
};

}  // namespace tidemark::testsupport
