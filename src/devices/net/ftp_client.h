#pragma once
// Sends one local file to a web site by FTP, FTP with explicit TLS, or SFTP (libcurl).
//
// The upload runs on the calling thread. So that a window can keep painting meanwhile,
// UploadOptions::yield is called about every yieldInterval for as long as the upload
// runs (while connecting and waiting for the server too); the window passes a function
// that lets its event loop run and returns true. Returning false abandons the upload,
// which then fails at the step it had reached. Every wait is bounded by the limits, so
// a server that is down, silent or stalled ends the upload with a failure in time.
#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "devices/net/remote_address.h"
#include "devices/net/upload_result.h"

namespace tidemark {

// Who opens the FTP data connection: the server connects back to us (active, what
// the publishing has always used) or we connect to a port the server names (passive,
// for clients behind NAT or a firewall). FTPS with libcurl 7.87 or 7.88 (Debian 12's)
// is always passive: those versions never protect an active data connection.
enum class FtpDataMode { Active, Passive };

// FTPS: whether the server's certificate must be signed by a trusted authority and
// name the host.
enum class TlsPeerCheck { Verify, DoNotVerify };

// SFTP: the server's host key must be listed in a known-hosts file, unless checking is
// explicitly given up. Without a file and without DoNotCheck no connection is made.
enum class SshHostKeyCheck { KnownHostsFile, DoNotCheck };

struct UploadLimits {
    // Reaching the server and logging in (TCP, TLS or SSH handshake, the greeting, the
    // login), and each wait for a reply or for the server to open an active data
    // connection.
    std::chrono::milliseconds connect{15'000};
    // The whole upload, from the first connection attempt to the last reply. Removing
    // the temporary file after a failure has a connect limit of its own on top.
    std::chrono::milliseconds transfer{60'000};
    // A transfer slower than this many bytes per second for lowSpeedTime is abandoned.
    long lowSpeedBytesPerSecond = 1;
    std::chrono::seconds lowSpeedTime{15};
};

struct UploadOptions {
    FtpDataMode dataMode = FtpDataMode::Active;
    UploadLimits limits;

    TlsPeerCheck tlsPeerCheck = TlsPeerCheck::Verify;
    // PEM file of the authorities to trust instead of the system's (e.g. a site's own
    // self-signed certificate). Empty: the system's store.
    std::string caFile;

    SshHostKeyCheck hostKeyCheck = SshHostKeyCheck::KnownHostsFile;
    std::string knownHostsFile;  // OpenSSH format; see DefaultKnownHostsFile()
    // An unencrypted private key to log in with before trying the password. Empty:
    // password only (never the keys in ~/.ssh by surprise).
    std::string privateKeyFile;

    std::function<bool()> yield;
    std::chrono::milliseconds yieldInterval{50};
};

struct UploadRequest {
    std::string address;  // as typed: see remote_address.h
    std::string folder;   // changed into first; empty = the login directory
    std::string user;
    std::string password;
    std::string localPath;
    std::string remoteName;  // the name on the server, relative to the folder
};

// Sends the file in binary (no line-end conversion), replacing a file of that name.
// The file is stored under a hidden temporary name beside it (PartFileName), its size
// on the server is checked, and only then is it renamed onto the remote name, so the
// site never holds a part of an image. After a failure the temporary file is removed
// where the server lets it, and a file of the remote name is left as it was. Succeeds
// only when the server holds the whole file under the remote name.
UploadResult UploadFile(const UploadRequest& request, const UploadOptions& options = {});

// The site's folder that a round publishes to, to be tidied after the round.
struct SweepRequest {
    std::string address;  // as typed: see remote_address.h
    std::string folder;   // empty = the login directory
    std::string user;
    std::string password;
    // How the program's own files there are named ("Tidemark_", "index.html").
    std::vector<std::string> ownNamePrefixes;
    std::time_t roundStart = 0;
};

// Removes from the folder the temporary files that uploads of earlier rounds left there
// (stale_uploads.h tells which), found in the folder's listing: FTP's MLSD (a plain name
// list where the server has none), SFTP's, WebDAV's PROPFIND. Returns how many were
// found and removed; 0 also where a WebDAV server offers no listing.
Result<int> RemoveStaleUploads(const SweepRequest& request, const UploadOptions& options = {});

// $HOME/.ssh/known_hosts, or "" without a home folder.
std::string DefaultKnownHostsFile();

}  // namespace tidemark
