#include "devices/net/ftp_client.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <future>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

#include "core/text_limits.h"
#include "devices/ftp_curl/curl_session.h"
#include "devices/ftp_curl/remote_commands.h"
#include "devices/ftp_curl/sftp_rename.h"
#include "devices/net/ftp_module.h"

namespace tidemark {

namespace {

// The file being sent, read by libcurl in chunks.
class LocalFile {
public:
    explicit LocalFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "rb")) {
        struct stat info {};
        if (!file_ || fstat(fileno(file_), &info) != 0) {
            error_ = "cannot open the local file " + path_ + ": " + std::strerror(errno);
        } else if (!S_ISREG(info.st_mode)) {
            error_ = "the local path " + path_ + " is not a file";
        } else {
            size_ = info.st_size;
        }
    }
    ~LocalFile() {
        if (file_) std::fclose(file_);
    }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    curl_off_t size() const { return size_; }

    static size_t ReadChunk(char* buffer, size_t size, size_t count, void* self) {
        auto* file = static_cast<LocalFile*>(self);
        size_t read = std::fread(buffer, 1, size * count, file->file_);
        if (read == 0 && std::ferror(file->file_)) {
            file->error_ = "reading the local file " + file->path_ + " failed: " + std::strerror(errno);
            return CURL_READFUNC_ABORT;
        }
        return read;
    }

private:
    std::string path_;
    std::FILE* file_;
    curl_off_t size_ = 0;
    std::string error_;
};

// A tag no other upload, from this process or another, gives its part file; it starts
// with the time it was made, so a later round can tell a part file an earlier one left
// (stale_uploads.h) by its name alone, whatever the server's clock says.
std::string UniquePartTag() {
    std::random_device random;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(random()));
    return std::to_string(static_cast<long long>(std::time(nullptr))) + "-" + std::to_string(getpid()) + "-" + hex;
}

void SetUploadSource(OptionSetter& set, LocalFile& file) {
    set(CURLOPT_UPLOAD, 1L);
    set(CURLOPT_TRANSFERTEXT, 0L);  // binary: line ends and zero bytes travel unchanged
    set(CURLOPT_READFUNCTION, &LocalFile::ReadChunk);
    set(CURLOPT_READDATA, &file);
    // With the size known libcurl fails a transfer that ends early.
    set(CURLOPT_INFILESIZE_LARGE, file.size());
}

class FailureWriter {
public:
    FailureWriter(const UploadRequest& request, std::string server) : request_(request), server_(std::move(server)) {}

    UploadFault operator()(UploadStep step, const std::string& detail) const {
        std::string where = UploadStepText(step);
        if (step == UploadStep::Folder)
            where += request_.folder.empty() ? " (the login directory)" : " \"" + request_.folder + "\"";
        std::string text =
            server_ + ": uploading \"" + request_.remoteName + "\" failed while " + where + ": " + detail;
        return UploadFailure(step, WithoutPassword(std::move(text), request_.password));
    }

private:
    const UploadRequest& request_;
    std::string server_;
};

// Problems found before any connection is made.
std::string PreflightProblem(const RemoteAddress& address, const UploadRequest& request, const UploadOptions& options) {
    if (request.remoteName.find_first_not_of('/') == std::string::npos) return "no remote file name was given";
    // The name travels in the commands that rename the file, one line each.
    if (request.remoteName.find_first_of("\r\n") != std::string::npos) return "the remote file name holds a line break";
    if (address.protocol != RemoteProtocol::Sftp || options.hostKeyCheck != SshHostKeyCheck::KnownHostsFile) return {};
    if (options.knownHostsFile.empty()) return "no known-hosts file was given to check the server's host key against";
    if (access(options.knownHostsFile.c_str(), R_OK) != 0)
        return "cannot read the known-hosts file " + options.knownHostsFile + ": " + std::strerror(errno);
    return {};
}

// The outcome of one step of an upload.
using StepResult = Result<void, UploadFault>;

// One upload's handles and the state its callbacks keep, from the options to the
// outcome. The file goes to a part file beside the image, its stored size is checked,
// and only then is it renamed onto the image: a transfer cut short leaves the old image
// as it was, and the part file is removed again where the server lets it.
class UploadSession : RemoteSession {
public:
    UploadSession(const RemoteAddress& address, const UploadRequest& request, const UploadOptions& options,
                  LocalFile& file)
        : RemoteSession(address, request, options),
          file_(file), names_{address.protocol, request.folder, request.remoteName,
                              PartFileName(request.remoteName, UniquePartTag())} {}

    UploadResult Run(const FailureWriter& fail) {
        if (!HasHandles()) return fail(UploadStep::Connect, "libcurl cannot make a transfer handle");
        StepResult sent = SendPart(fail);
        if (sent) sent = CheckStoredSize(fail);
        UploadResult result = sent ? PutInPlace(fail) : UploadResult(sent.fault());
        // Nothing was made before the part file's transfer began; once the program has
        // asked to stop, no further connection is started.
        if (!result && result.fault().step >= UploadStep::Upload && !pacer_.abandoned()) DiscardPart();
        return result;
    }

private:
    StepResult SendPart(const FailureWriter& fail) {
        if (CURLcode refused = ConfigureSend(); refused != CURLE_OK)
            return fail(UploadStep::Connect, std::string("libcurl refused a setting: ") + curl_easy_strerror(refused));
        TransferOutcome outcome = Perform();
        if (!Succeeded(outcome)) return fail(StepOfSendFailure(outcome.code), Detail(outcome));
        curl_off_t sent = 0;
        curl_easy_getinfo(easy_.get(), CURLINFO_SIZE_UPLOAD_T, &sent);
        if (sent != file_.size())
            return fail(UploadStep::Upload,
                        "only " + std::to_string(sent) + " of " + std::to_string(file_.size()) + " bytes were sent");
        return {};
    }

    // A server can confirm a transfer whose last bytes it lost. Asked without a body,
    // libcurl gives the size of a file: FTP's SIZE, SFTP's stat. A server that knows
    // neither leaves the size unknown and the upload stands on the bytes sent.
    StepResult CheckStoredSize(const FailureWriter& fail) {
        std::optional<std::chrono::milliseconds> left = TimeLeft();
        if (!left) return fail(UploadStep::Upload, "the time limit ran out");
        TransferOutcome outcome = PerformFollowUp(FileUrl(names_.partName), {}, *left);
        if (!Succeeded(outcome))
            return fail(UploadStep::Upload, "the size of the stored file cannot be read: " + Detail(outcome));
        curl_off_t stored = -1;
        curl_easy_getinfo(easy_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &stored);
        if (stored >= 0 && stored != file_.size())
            return fail(UploadStep::Upload, "the server confirmed the file but holds " + std::to_string(stored) +
                                                " of its " + std::to_string(file_.size()) + " bytes");
        return {};
    }

    UploadResult PutInPlace(const FailureWriter& fail) {
        if (IsWebDav(address_.protocol)) return MoveInPlace(fail);
        auto commandSets = ReplaceCommandSets(names_);
        if (!commandSets) return fail(UploadStep::Replace, "the file name holds a line break");
        if (address_.protocol == RemoteProtocol::Sftp) {
            Result<OneStepRename> oneStep = RenameBySsh();
            if (!oneStep) return fail(UploadStep::Replace, oneStep.error());
            if (*oneStep == OneStepRename::Done) return UploadReceipt{};
        }
        std::string detail;
        for (size_t i = 0; i < commandSets->size(); ++i) {
            const ReplaceAttempt& attempt = (*commandSets)[i];
            std::optional<std::chrono::milliseconds> left = TimeLeft();
            if (!left) return fail(UploadStep::Replace, "the time limit ran out");
            TransferOutcome outcome = PerformFollowUp(FolderUrl(), attempt.commands, *left);
            // Any way but the first took the old image's name away for a moment.
            if (Succeeded(outcome)) return UploadReceipt{i > 0};
            detail = Detail(outcome);
            // The old image back under its name, if it had been moved aside; with its own
            // short limit, as the upload's may have run out.
            if (!attempt.restore.empty()) PerformFollowUp(FolderUrl(), attempt.restore, options_.limits.connect);
            if (pacer_.abandoned()) break;
        }
        return fail(UploadStep::Replace, detail);
    }

    // The one-step replace of an SFTP server, over a session of libssh's own that runs
    // beside this thread while it goes on yielding; libssh's waits are bounded by the
    // connect limit.
    Result<OneStepRename> RenameBySsh() {
        std::optional<std::chrono::milliseconds> left = TimeLeft();
        if (!left) return Fault{"the time limit ran out"};
        SftpLogin login{address_.host,           address_.port,
                        request_.user,           request_.password,
                        options_.privateKeyFile, options_.hostKeyCheck == SshHostKeyCheck::KnownHostsFile,
                        options_.knownHostsFile, std::min(options_.limits.connect, *left)};
        std::string from = ServerPath(names_.folder, names_.partName);
        std::string to = ServerPath(names_.folder, names_.remoteName);
        std::future<Result<OneStepRename>> renamed =
            std::async(std::launch::async, [login, from, to] { return RenameInOneStep(login, from, to); });
        while (renamed.wait_for(options_.yieldInterval) != std::future_status::ready) pacer_.Tick();
        return renamed.get();
    }

    // Best effort, after the upload has already failed: its own short time limit, as
    // the one of the upload may have run out.
    void DiscardPart() {
        if (IsWebDav(address_.protocol)) {
            PerformRequest("DELETE", FileUrl(names_.partName), {}, options_.limits.connect);
            return;
        }
        auto commands = DiscardCommands(names_);
        if (commands) PerformFollowUp(FolderUrl(), *commands, options_.limits.connect);
    }

    // WebDAV's MOVE replaces the file under the remote name in one step, as a rename
    // over an existing file does on FTP.
    UploadResult MoveInPlace(const FailureWriter& fail) {
        std::optional<std::chrono::milliseconds> left = TimeLeft();
        if (!left) return fail(UploadStep::Replace, "the time limit ran out");
        TransferOutcome outcome = PerformRequest(
            "MOVE", FileUrl(names_.partName), {"Destination: " + FileUrl(request_.remoteName), "Overwrite: T"}, *left);
        if (!Succeeded(outcome)) return fail(UploadStep::Replace, Detail(outcome));
        return UploadReceipt{};
    }

    // Every option of the part file's transfer; the first libcurl refused, or CURLE_OK.
    CURLcode ConfigureSend() {
        OptionSetter set(easy_.get());
        SetCommonOptions(set, FileUrl(names_.partName));
        SetUploadSource(set, file_);
        return set.failure();
    }

    // SFTP failures after the login that libcurl's code does not place happened while
    // the file was opened or written.
    UploadStep StepOfSendFailure(CURLcode code) const {
        if (IsWebDav(address_.protocol)) return StepOfWebDavFailure(code);
        UploadStep step = StepOfFailure(code, tracker_.reached());
        bool sftpAfterLogin = address_.protocol == RemoteProtocol::Sftp && tracker_.loggedIn();
        return sftpAfterLogin && step < UploadStep::Folder ? UploadStep::Upload : step;
    }

    // A refusal of the PUT is a refused login (401: the credentials were not taken), a
    // missing folder (404, 409) or a refused file (403 and the rest: the server knows
    // who asks and will not store this file); any other failure happened before the
    // server answered.
    UploadStep StepOfWebDavFailure(CURLcode code) const {
        if (code != CURLE_HTTP_RETURNED_ERROR) return tracker_.loggedIn() ? UploadStep::Upload : UploadStep::Connect;
        long status = HttpStatus();
        if (status == 401 || status == 407) return UploadStep::Login;
        if (status == 404 || status == 409) return UploadStep::Folder;
        return UploadStep::Upload;
    }

    std::string Detail(const TransferOutcome& outcome) const {
        if (outcome.code == CURLE_HTTP_RETURNED_ERROR) return HttpRefusal();
        return FailureDetail(outcome, errorBuffer_, file_.ok() ? std::string() : file_.error(), pacer_);
    }

    // The folder that holds the image, where the finishing commands run.
    std::string FolderUrl() const {
        size_t slash = request_.remoteName.find_last_of('/');
        std::string subfolder = slash == std::string::npos ? "" : request_.remoteName.substr(0, slash);
        return RemoteFolderUrl(address_, request_.folder, subfolder);
    }

    LocalFile& file_;
    RemoteNames names_;
};

}  // namespace

// The module's one entry point (ftp_module.h).
extern "C" [[gnu::visibility("default")]] UploadResult tidemark_upload_file(const UploadRequest& request,
                                                                            const UploadOptions& options) {
    Result<RemoteAddress> parsed = ParseRemoteAddress(request.address);
    if (!parsed)
        return UploadFailure(UploadStep::Connect, WithoutPassword("The address \"" + request.address +
                                                                      "\" cannot be used: " + parsed.error(),
                                                                  request.password));
    const RemoteAddress& address = parsed.value();
    FailureWriter fail(request, std::string(ProtocolLabel(address.protocol)) + " " + HostAndPort(address));

    if (std::string problem = PreflightProblem(address, request, options); !problem.empty())
        return fail(UploadStep::Connect, problem);
    LocalFile file(request.localPath);
    if (!file.ok()) return fail(UploadStep::Upload, file.error());
    if (Result<void> started = EnsureCurlInitialised(); !started) return fail(UploadStep::Connect, started.error());
    return UploadSession(address, request, options, file).Run(fail);
}

}  // namespace tidemark
