#include "app/ftp_upload.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "publish/site_files.h"

namespace tidemark {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Switched(const char* name) {
    std::string v = Environment(name);
    return !v.empty() && v != "0";
}

}  // namespace

UploadOptions UploadOptionsFromEnvironment() {
    UploadOptions options;
    if (double seconds = std::atof(Environment("TIDEMARK_FTP_TIMEOUT").c_str()); seconds > 0)
        options.limits.connect = std::chrono::milliseconds(static_cast<long long>(std::min(seconds, 3600.0) * 1000));
    options.dataMode = Switched("TIDEMARK_FTP_PASSIVE") ? FtpDataMode::Passive : FtpDataMode::Active;
    options.caFile = Environment("TIDEMARK_FTPS_CA_FILE");
    options.tlsPeerCheck = Switched("TIDEMARK_FTPS_NO_VERIFY") ? TlsPeerCheck::DoNotVerify : TlsPeerCheck::Verify;
    std::string knownHosts = Environment("TIDEMARK_SFTP_KNOWN_HOSTS");
    options.knownHostsFile = knownHosts.empty() ? DefaultKnownHostsFile() : knownHosts;
    options.hostKeyCheck =
        Switched("TIDEMARK_SFTP_NO_HOST_CHECK") ? SshHostKeyCheck::DoNotCheck : SshHostKeyCheck::KnownHostsFile;
    return options;
}

namespace {

// The options from the environment, letting `yield` run the event loop meanwhile.
UploadOptions OptionsYieldingTo(std::function<void()> yield) {
    UploadOptions options = UploadOptionsFromEnvironment();
    options.yield = [yield] {
        if (yield) yield();
        return true;
    };
    return options;
}

}  // namespace

UploadFunction MakeFtpUpload(std::function<void()> yield, std::function<void(const std::string&)> report) {
    UploadOptions options = OptionsYieldingTo(std::move(yield));
    // The servers already told of, for as long as the program uploads with this function.
    auto told = std::make_shared<std::set<std::string>>();
    return [options, report, told](const PublishState& state, const std::string& path, const std::string& remote) {
        UploadResult result =
            UploadFile({state.ftpAddress, state.ftpFolder, state.ftpUser, state.ftpPassword, path, remote}, options);
        if (!result.ok()) {
            if (report) report(result.error());
            return false;
        }
        if (result->replacedInSteps && told->insert(state.ftpAddress).second && report)
            report(StepwiseReplaceNotice(state.ftpAddress));
        return true;
    };
}

SweepFunction MakeRemoteSweep(std::function<void()> yield, std::function<void(const std::string&)> report) {
    UploadOptions options = OptionsYieldingTo(std::move(yield));
    return [options, report](const PublishState& state, std::time_t roundStart) {
        SweepRequest request{state.ftpAddress,  state.ftpFolder,         state.ftpUser,
                             state.ftpPassword, PublishedNamePrefixes(), roundStart};
        Result<int> removed = RemoveStaleUploads(request, options);
        if (!removed && report) report(removed.error());
    };
}

std::string StepwiseReplaceNotice(const std::string& address) {
    return "Note: the server " + address +
           " cannot replace a file in one step; each image is put in place by renaming the old one aside first, so "
           "for the moment of one rename its name has no image";
}

}  // namespace tidemark
