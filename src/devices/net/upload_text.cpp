// The words an upload's outcome is told in, shared by the program and the FTP module.
#include <cstdlib>

#include "devices/net/ftp_client.h"

namespace tidemark {

const char* UploadStepText(UploadStep step) {
    switch (step) {
        case UploadStep::Connect: return "connecting";
        case UploadStep::Login: return "logging in";
        case UploadStep::Folder: return "changing to the folder";
        case UploadStep::Upload: return "sending the file";
        case UploadStep::Replace: return "putting the file in place of the old one";
    }
    return "connecting";
}

std::string DefaultKnownHostsFile() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return std::string(home) + "/.ssh/known_hosts";
}

}  // namespace tidemark
