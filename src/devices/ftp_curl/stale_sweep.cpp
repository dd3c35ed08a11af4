// Tidying a site's folder after a round: the temporary files earlier rounds left there
// are found in the folder's listing and removed (devices/net/stale_uploads.h).
#include <optional>
#include <string>
#include <vector>

#include "devices/ftp_curl/curl_session.h"
#include "devices/ftp_curl/remote_commands.h"
#include "devices/net/ftp_module.h"
#include "devices/net/stale_uploads.h"

namespace tidemark {
namespace {

// A listing longer than this is cut; the names it holds are still looked at.
constexpr size_t kListingBytes = 4 * 1024 * 1024;

// What a WebDAV PROPFIND asks for: the names, and that a name is a folder.
constexpr const char* kPropfindBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<propfind xmlns=\"DAV:\"><prop><resourcetype/></prop></propfind>\n";

class SweepSession : RemoteSession {
public:
    SweepSession(const RemoteAddress& address, const UploadRequest& folder, const UploadOptions& options,
                 const SweepRequest& request)
        : RemoteSession(address, folder, options), sweep_(request) {}

    Result<int> Run() {
        if (!HasHandles()) return Fault{"libcurl cannot make a transfer handle"};
        reply_.KeepUpTo(kListingBytes);
        Result<std::optional<std::vector<std::string>>> names = ListFolder();
        if (!names) return names.fault();
        // A server that offers no listing has nothing to be tidied by this program.
        if (!*names) return 0;
        std::vector<std::string> stale = StaleUploadNames(**names, sweep_.ownNamePrefixes, sweep_.roundStart);
        if (stale.empty()) return 0;
        return Remove(stale);
    }

private:
    Result<std::optional<std::vector<std::string>>> ListFolder() {
        std::optional<std::chrono::milliseconds> left = TimeLeft();
        if (!left) return Fault{"the time limit ran out"};
        if (IsWebDav(address_.protocol)) return ListByPropfind(*left);
        if (address_.protocol == RemoteProtocol::Sftp) {
            TransferOutcome listed = List(nullptr, *left);
            if (!Succeeded(listed)) return Fault{Detail(listed)};
            return std::optional(NamesOfNameList(reply_.body()));
        }
        // MLSD lists every file with its type, hidden ones too; a server without it gives
        // a plain list of names.
        TransferOutcome machine = List("MLSD", *left);
        if (Succeeded(machine)) return std::optional(NamesOfMachineListing(reply_.body()));
        left = TimeLeft();
        if (!left) return Fault{"the time limit ran out"};
        TransferOutcome plain = List(nullptr, *left);
        if (!Succeeded(plain)) return Fault{Detail(plain)};
        return std::optional(NamesOfNameList(reply_.body()));
    }

    // The folder's listing into the reply's body: `command` in place of the protocol's
    // own, or the plain list of names.
    TransferOutcome List(const char* command, std::chrono::milliseconds limit) {
        OptionSetter set(easy_.get());
        SetCommonOptions(set, FolderUrl());
        set(CURLOPT_DIRLISTONLY, command ? 0L : 1L);
        set(CURLOPT_CUSTOMREQUEST, command);
        set(CURLOPT_TIMEOUT_MS, Milliseconds(limit));
        if (set.failure() != CURLE_OK) return {set.failure(), {}};
        TransferOutcome outcome = Perform();
        curl_easy_setopt(easy_.get(), CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(easy_.get(), CURLOPT_DIRLISTONLY, 0L);
        return outcome;
    }

    Result<std::optional<std::vector<std::string>>> ListByPropfind(std::chrono::milliseconds limit) {
        CurlStringList headers;
        if (!headers.Append("Depth: 1") || !headers.Append("Content-Type: application/xml; charset=utf-8"))
            return Fault{"libcurl cannot hold the request"};
        OptionSetter set(easy_.get());
        SetCommonOptions(set, FolderUrl());
        set(CURLOPT_CUSTOMREQUEST, "PROPFIND");
        set(CURLOPT_HTTPHEADER, headers.get());
        set(CURLOPT_POSTFIELDS, kPropfindBody);
        set(CURLOPT_TIMEOUT_MS, Milliseconds(limit));
        if (set.failure() != CURLE_OK) return Fault{curl_easy_strerror(set.failure())};
        TransferOutcome outcome = Perform();
        curl_easy_setopt(easy_.get(), CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(easy_.get(), CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(easy_.get(), CURLOPT_HTTPGET, 1L);
        long status = HttpStatus();
        // Not a method this server knows (nginx's own WebDAV has no PROPFIND).
        if (outcome.code == CURLE_HTTP_RETURNED_ERROR && (status == 405 || status == 501))
            return std::optional<std::vector<std::string>>();
        if (!Succeeded(outcome)) return Fault{Detail(outcome)};
        return std::optional(NamesOfPropfind(reply_.body()));
    }

    Result<int> Remove(const std::vector<std::string>& names) {
        std::optional<std::chrono::milliseconds> left = TimeLeft();
        if (!left) return Fault{"the time limit ran out"};
        if (!IsWebDav(address_.protocol)) {
            std::vector<std::string> commands = RemoveCommands(address_.protocol, sweep_.folder, names);
            TransferOutcome outcome = PerformFollowUp(FolderUrl(), commands, *left);
            if (!Succeeded(outcome)) return Fault{Detail(outcome)};
            return static_cast<int>(commands.size());
        }
        int removed = 0;
        for (const std::string& name : names) {
            if (!(left = TimeLeft())) break;
            if (Succeeded(PerformRequest("DELETE", FileUrl(name), {}, *left))) ++removed;
        }
        return removed;
    }

    std::string Detail(const TransferOutcome& outcome) const {
        if (outcome.code == CURLE_HTTP_RETURNED_ERROR) return HttpRefusal();
        return FailureDetail(outcome, errorBuffer_, {}, pacer_);
    }

    std::string FolderUrl() const { return RemoteFolderUrl(address_, request_.folder, ""); }

    const SweepRequest& sweep_;
};

}  // namespace

// The module's entry point for RemoveStaleUploads (ftp_module.h).
extern "C" [[gnu::visibility("default")]] Result<int> tidemark_remove_stale_uploads(const SweepRequest& request,
                                                                                    const UploadOptions& options) {
    Result<RemoteAddress> parsed = ParseRemoteAddress(request.address);
    if (!parsed) return Fault{"The address \"" + request.address + "\" cannot be used: " + parsed.error()};
    const RemoteAddress& address = parsed.value();
    std::string server = std::string(ProtocolLabel(address.protocol)) + " " + HostAndPort(address);
    Result<int> removed = 0;
    if (Result<void> started = EnsureCurlInitialised(); !started) {
        removed = Fault{started.error()};
    } else {
        UploadRequest folder{request.address, request.folder, request.user, request.password, {}, {}};
        removed = SweepSession(address, folder, options, request).Run();
    }
    if (removed) return removed;
    return Fault{WithoutPassword(
        server + ": removing temporary files that earlier rounds left in the folder failed: " + removed.error(),
        request.password)};
}

}  // namespace tidemark
