#pragma once
// A private FTP or FTPS server for tests (pyftpdlib under /usr/bin/python3, run from
// ftp_server.py): one user, a home folder in a temporary folder, a port on 127.0.0.1
// the server picks itself. Stopped, and its folder removed, when the object goes.
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tidemark::testsupport {

struct FtpServerSettings {
    // Both set: FTPS, with TLS required on the control and the data connections.
    std::string certFile;
    std::string keyFile;
    // At most one of these: an upload's data connection is cut (426) or stops being
    // read after this many bytes, or is read at this many bytes a second (plain FTP),
    // or the upload is confirmed whole while only this many of its bytes are stored,
    // or the folder fills up after this many bytes of an upload (they stay on disk,
    // the upload fails with 552).
    long cutAfterBytes = -1;
    long diskFullAfterBytes = -1;
    long keepOnlyBytes = -1;
    long stallAfterBytes = -1;
    long readBytesPerSecond = -1;
    // RNTO onto an existing file is refused (550), as some servers do.
    bool refuseRenameOver = false;
    // The server's Nth RNTO fails (550); 0: none.
    int failRnto = 0;
};

class FtpServer {
public:
    explicit FtpServer(FtpServerSettings settings = {});
    ~FtpServer() { process_.Stop(); }
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    // False with the reason (the server's output) when it does not come up.
    bool Start(std::string* error);

    int Port() const { return port_; }
    std::string HostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
    // Characters that would break a user:password@ URL, and a blank.
    std::string User() const { return "web@site"; }
    std::string Password() const { return "p@ss:w/rd %41 #1"; }

    // The login directory, with a trailing "/".
    std::string Home() const { return folder_.File("home/"); }
    bool MakeFolder(const std::string& relative) const;
    // A file below the login directory ("" when missing), and whether it is there.
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Every command the server has answered, in order, as "COMMAND argument -> code"
    // (a password as asterisks).
    std::vector<std::string> Commands() const;

private:
    FtpServerSettings settings_;
    TempFolder folder_{"tidemark-ftp"};
    ChildProcess process_;
    int port_ = 0;
};

// A self-signed certificate for 127.0.0.1 (as subject name and IP address) and its key,
// written as cert.pem and key.pem into the folder by the openssl tool.
bool MakeSelfSignedCertificate(const TempFolder& folder, std::string* error);

}  // namespace tidemark::testsupport
