#pragma once
// The upload the window gives publishing: the network client with the options a site may
// need beyond the publishing settings file, read from the environment so the file stays
// what it has always been:
//   TIDEMARK_FTP_PASSIVE=1       passive data connections (servers behind NAT)
//   TIDEMARK_FTP_TIMEOUT=SECONDS the longest wait for a server to answer (default 15)
//   TIDEMARK_FTPS_CA_FILE=FILE   trust this certificate (e.g. the site's own) for ftps://
//   TIDEMARK_FTPS_NO_VERIFY=1    do not check the ftps:// server's certificate at all
//   TIDEMARK_SFTP_KNOWN_HOSTS=F  the known-hosts file for sftp:// (default ~/.ssh/known_hosts)
//   TIDEMARK_SFTP_NO_HOST_CHECK=1  accept any sftp:// host key
#include <functional>
#include <string>

#include "app/publishing_controller.h"
#include "devices/net/ftp_client.h"

namespace tidemark {

UploadOptions UploadOptionsFromEnvironment();

// Uploads with those options, letting `yield` run the event loop meanwhile; a failure's
// description goes to `report` (the caption only says " ...failed"), and so does, once
// for each server, the notice that it replaces files in steps (StepwiseReplaceNotice).
UploadFunction MakeFtpUpload(std::function<void()> yield, std::function<void(const std::string&)> report);

// Removes the temporary files that uploads of earlier rounds left in the site's folder
// (devices/net/stale_uploads.h), letting `yield` run the event loop meanwhile; a
// failure goes to `report`.
SweepFunction MakeRemoteSweep(std::function<void()> yield, std::function<void(const std::string&)> report);

// A server that will not rename onto an existing file has each image renamed aside just
// before the new one takes its name: said once, as it holds for every file.
std::string StepwiseReplaceNotice(const std::string& address);

}  // namespace tidemark
