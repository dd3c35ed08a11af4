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

#include "app/publishing_controller.h"
#include "devices/net/ftp_client.h"

namespace tidemark {

UploadOptions UploadOptionsFromEnvironment();

// Uploads with those options, letting `yield` run the event loop meanwhile; a failure's
// description goes to `reportFailure` (the caption only says " ...failed").
UploadFunction MakeFtpUpload(std::function<void()> yield, std::function<void(const std::string&)> reportFailure);

}  // namespace tidemark
