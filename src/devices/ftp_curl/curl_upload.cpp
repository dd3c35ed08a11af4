#include "devices/net/ftp_client.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

#include "core/text_limits.h"
#include "devices/ftp_curl/curl_handles.h"
#include "devices/ftp_curl/remote_commands.h"
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

// How far the conversation got: the FTP step, read from the commands libcurl sends,
// and whether the login is done (libcurl is about to start the transfer proper), which
// for SFTP, that sends no such commands, is all there is to know.
class ConversationTracker {
public:
    UploadStep reached() const { return reached_; }
    bool loggedIn() const { return loggedIn_; }

    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        auto* tracker = static_cast<ConversationTracker*>(self);
        // Only the command word is looked at; the rest (a password after PASS) is not kept.
        if (type == CURLINFO_HEADER_OUT) tracker->OnCommand(CommandWord(data, size));
        return 0;
    }

    static int OnPretransfer(void* self, char*, char*, int, int) {
        static_cast<ConversationTracker*>(self)->loggedIn_ = true;
        return CURL_PREREQFUNC_OK;
    }

private:
    static std::string CommandWord(const char* data, size_t size) {
        std::string_view line(data, size);
        return std::string(line.substr(0, line.find_first_of(" \r\n")));
    }

    static UploadStep StepOfCommand(const std::string& word) {
        if (word == "USER" || word == "PASS" || word == "ACCT") return UploadStep::Login;
        if (word == "CWD") return UploadStep::Folder;
        if (word == "EPSV" || word == "PASV" || word == "EPRT" || word == "PORT" || word == "TYPE" || word == "STOR")
            return UploadStep::Upload;
        return UploadStep::Connect;
    }

    void OnCommand(const std::string& word) { reached_ = std::max(reached_, StepOfCommand(word)); }

    UploadStep reached_ = UploadStep::Connect;
    bool loggedIn_ = false;
};

// What a server said back: its status line (HTTP) and the start of its reply's body.
// libcurl's default would print the body on standard output; here it is kept for a
// message, which needs no more than its first part.
class ServerReply {
public:
    static constexpr size_t kKeptBytes = 2048;

    void Clear() {
        statusLine_.clear();
        body_.clear();
    }
    const std::string& statusLine() const { return statusLine_; }
    const std::string& body() const { return body_; }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        std::string_view line(data, size * count);
        auto* reply = static_cast<ServerReply*>(self);
        // A new status line starts a new reply (after a 100 Continue, or the next request).
        if (line.rfind("HTTP/", 0) == 0) {
            reply->Clear();
            line.remove_prefix(std::min(line.find(' '), line.size()));
            reply->statusLine_ = std::string(line.substr(0, line.find_first_of("\r\n")));
            reply->statusLine_.erase(0, reply->statusLine_.find_first_not_of(' '));
        }
        return size * count;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* reply = static_cast<ServerReply*>(self);
        size_t bytes = size * count;
        reply->body_.append(data, std::min(bytes, kKeptBytes - std::min(kKeptBytes, reply->body_.size())));
        return bytes;
    }

private:
    std::string statusLine_;
    std::string body_;
};

// A tag no other upload, from this process or another, gives its part file.
std::string UniquePartTag() {
    std::random_device random;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(random()));
    return std::to_string(getpid()) + "-" + hex;
}

// Calls the caller's yield at most once per interval and passes on its wish to stop.
// Ticked from libcurl's progress function and from the transfer loop, so the yield
// runs in every state of the transfer, whichever of the two gets there first.
class YieldPacer {
public:
    YieldPacer(std::function<bool()> yield, std::chrono::milliseconds interval)
        : yield_(std::move(yield)), interval_(interval), last_(std::chrono::steady_clock::now()) {}

    bool abandoned() const { return abandoned_; }

    // False once the yield has asked to stop.
    bool Tick() {
        if (!yield_ || abandoned_) return !abandoned_;
        auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_) return true;
        last_ = now;
        abandoned_ = !yield_();
        return !abandoned_;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<YieldPacer*>(self)->Tick() ? 0 : 1;
    }

private:
    std::function<bool()> yield_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_;
    bool abandoned_ = false;
};

// curl_easy_setopt for a list of options, keeping the first refusal.
class OptionSetter {
public:
    explicit OptionSetter(CURL* easy) : easy_(easy) {}

    template <class Value>
    void operator()(CURLoption option, Value value) {
        CURLcode code = curl_easy_setopt(easy_, option, value);
        if (code != CURLE_OK && failure_ == CURLE_OK) failure_ = code;
    }
    CURLcode failure() const { return failure_; }

private:
    CURL* easy_;
    CURLcode failure_ = CURLE_OK;
};

long Milliseconds(std::chrono::milliseconds duration) {
    return static_cast<long>(std::max<int64_t>(duration.count(), 1));
}

// Whole seconds, rounded up: some of libcurl's waits are set only in seconds.
long SecondsAtLeastOne(std::chrono::milliseconds duration) {
    return std::max<long>(static_cast<long>((duration.count() + 999) / 1000), 1);
}

// The one protocol libcurl may speak for the address (never one a redirect asks for).
const char* ProtocolsOf(RemoteProtocol protocol) {
    switch (protocol) {
        case RemoteProtocol::Ftp:
        case RemoteProtocol::Ftps: return "ftp";
        case RemoteProtocol::Sftp: return "sftp";
        case RemoteProtocol::Http: return "http";
        case RemoteProtocol::Https: return "https";
    }
    return "ftp";
}

void SetTarget(OptionSetter& set, const std::string& url, const RemoteAddress& address, const UploadRequest& request) {
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_PROTOCOLS_STR, ProtocolsOf(address.protocol));
    // Separate options rather than a user:password@ prefix, so no character of either
    // needs escaping and neither can leak into the URL.
    set(CURLOPT_USERNAME, request.user.c_str());
    set(CURLOPT_PASSWORD, request.password.c_str());
    // Path segments are sent as written: a folder named ".." is the user's choice.
    set(CURLOPT_PATH_AS_IS, 1L);
    // Each upload starts on a connection of its own (its multi handle is its own too);
    // the steps that finish it go on over that connection while it is open.
    set(CURLOPT_FRESH_CONNECT, 1L);
    set(CURLOPT_FORBID_REUSE, 0L);
    set(CURLOPT_NOSIGNAL, 1L);
}

void SetUploadSource(OptionSetter& set, LocalFile& file) {
    set(CURLOPT_UPLOAD, 1L);
    set(CURLOPT_TRANSFERTEXT, 0L);  // binary: line ends and zero bytes travel unchanged
    set(CURLOPT_READFUNCTION, &LocalFile::ReadChunk);
    set(CURLOPT_READDATA, &file);
    // With the size known libcurl fails a transfer that ends early.
    set(CURLOPT_INFILESIZE_LARGE, file.size());
}

void SetLimits(OptionSetter& set, const UploadLimits& limits) {
    set(CURLOPT_CONNECTTIMEOUT_MS, Milliseconds(limits.connect));
    set(CURLOPT_TIMEOUT_MS, Milliseconds(limits.transfer));
    set(CURLOPT_LOW_SPEED_LIMIT, std::max(limits.lowSpeedBytesPerSecond, 1L));
    set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max<int64_t>(limits.lowSpeedTime.count(), 1)));
    // A server that takes the connection and then says nothing must not hold the
    // upload for libcurl's default minute per reply.
    set(CURLOPT_SERVER_RESPONSE_TIMEOUT, SecondsAtLeastOne(limits.connect));
    set(CURLOPT_ACCEPTTIMEOUT_MS, Milliseconds(limits.connect));
}

// libcurl 7.87 and 7.88 leave an active-mode data connection without TLS even when
// TLS is required (curl issue 10666, mended in 8.0): the file would travel in clear or
// the server would refuse it. FTPS there goes passive.
FtpDataMode EffectiveDataMode(RemoteProtocol protocol, FtpDataMode requested) {
    unsigned version = curl_version_info(CURLVERSION_NOW)->version_num;
    bool activeTlsBroken = version >= 0x075700 && version < 0x080000;
    return protocol == RemoteProtocol::Ftps && activeTlsBroken ? FtpDataMode::Passive : requested;
}

// libcurl before 8.9 can end a TLS 1.3 data connection before the server has read the
// last records of an upload (curl issue 6149, mended by curl pull request 13904): the
// server confirms a file that lacks its end. TLS 1.2 has no records after the handshake
// that cause it, so FTPS stays on 1.2 there.
bool TlsOneThreeUploadsLoseData() { return curl_version_info(CURLVERSION_NOW)->version_num < 0x080900; }

void SetPeerCheck(OptionSetter& set, const UploadOptions& options) {
    bool verify = options.tlsPeerCheck == TlsPeerCheck::Verify;
    set(CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
    set(CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
    if (!options.caFile.empty()) set(CURLOPT_CAINFO, options.caFile.c_str());
}

void SetFtpOptions(OptionSetter& set, const RemoteAddress& address, const UploadOptions& options) {
    // "-": the active-mode listening socket takes the address of the control connection.
    bool active = EffectiveDataMode(address.protocol, options.dataMode) == FtpDataMode::Active;
    set(CURLOPT_FTPPORT, active ? "-" : nullptr);
    // One CWD with the whole folder, as the folder box is one directory change.
    set(CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    if (address.protocol != RemoteProtocol::Ftps) return;
    set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    set(CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    if (TlsOneThreeUploadsLoseData())
        set(CURLOPT_SSLVERSION,
            static_cast<long>(CURL_SSLVERSION_TLSv1_2) | static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
    SetPeerCheck(set, options);
}

// WebDAV: the user and password by basic authentication (over TLS for https://, the
// certificate checked as for FTPS). A refusal by the server is read from its status
// after the request (libcurl's own check would drop the status line's words).
void SetWebDavOptions(OptionSetter& set, const RemoteAddress& address, const UploadOptions& options) {
    set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    set(CURLOPT_FAILONERROR, 0L);
    set(CURLOPT_FOLLOWLOCATION, 0L);
    if (address.protocol == RemoteProtocol::Https) SetPeerCheck(set, options);
}

void SetSftpOptions(OptionSetter& set, const UploadOptions& options) {
    long methods = CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
    if (!options.privateKeyFile.empty()) {
        methods |= CURLSSH_AUTH_PUBLICKEY;
        set(CURLOPT_SSH_PRIVATE_KEYFILE, options.privateKeyFile.c_str());
    }
    set(CURLOPT_SSH_AUTH_TYPES, methods);
    // With a known-hosts file libcurl accepts only a host key listed there for this
    // host and port; without one it would accept any key.
    if (options.hostKeyCheck == SshHostKeyCheck::KnownHostsFile)
        set(CURLOPT_SSH_KNOWNHOSTS, options.knownHostsFile.c_str());
}

void SetObservers(OptionSetter& set, ConversationTracker& tracker, YieldPacer& pacer, ServerReply& reply,
                  char* errorBuffer) {
    set(CURLOPT_ERRORBUFFER, errorBuffer);
    // Every reply, of every request on the handle, goes to the keeper and nowhere else
    // (what libcurl reports of a file, its size as a header line, is read by getinfo).
    set(CURLOPT_HEADERFUNCTION, &ServerReply::OnHeader);
    set(CURLOPT_HEADERDATA, &reply);
    set(CURLOPT_WRITEFUNCTION, &ServerReply::OnBody);
    set(CURLOPT_WRITEDATA, &reply);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &YieldPacer::OnProgress);
    set(CURLOPT_XFERINFODATA, &pacer);
    // The debug stream is the only place libcurl tells which FTP command it is at;
    // it is read by the tracker and goes nowhere else.
    set(CURLOPT_VERBOSE, 1L);
    set(CURLOPT_DEBUGFUNCTION, &ConversationTracker::OnDebug);
    set(CURLOPT_DEBUGDATA, &tracker);
    set(CURLOPT_PREREQFUNCTION, &ConversationTracker::OnPretransfer);
    set(CURLOPT_PREREQDATA, &tracker);
}

struct TransferOutcome {
    CURLcode code = CURLE_OK;
    std::string loopError;  // the multi interface itself failed
};

// Runs the transfer, waking at least once per interval so the yield runs even while
// the server is silent.
TransferOutcome RunTransfer(const CurlMulti& multi, const CurlEasy& easy, YieldPacer& pacer,
                            std::chrono::milliseconds interval) {
    int running = 1;
    while (running) {
        CURLMcode code = curl_multi_perform(multi.get(), &running);
        if (code == CURLM_OK && running)
            code = curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(Milliseconds(interval)), nullptr);
        if (code != CURLM_OK) return {CURLE_FAILED_INIT, curl_multi_strerror(code)};
        if (running && !pacer.Tick()) return {CURLE_ABORTED_BY_CALLBACK, {}};
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) return {message->data.result, {}};
    return {CURLE_FAILED_INIT, "libcurl ended the transfer without a result"};
}

// The step a failure belongs to: what the commands sent so far show, or later when the
// code itself names a later step.
UploadStep StepOfFailure(CURLcode code, UploadStep reached) {
    UploadStep named = UploadStep::Connect;
    switch (code) {
        case CURLE_LOGIN_DENIED: named = UploadStep::Login; break;
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_REMOTE_FILE_NOT_FOUND: named = UploadStep::Folder; break;
        case CURLE_UPLOAD_FAILED:
        case CURLE_PARTIAL_FILE:
        case CURLE_SEND_ERROR:
        case CURLE_READ_ERROR:
        case CURLE_FTP_PORT_FAILED:
        case CURLE_FTP_ACCEPT_FAILED:
        case CURLE_FTP_ACCEPT_TIMEOUT:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_FTP_WEIRD_227_FORMAT:
        case CURLE_FTP_CANT_GET_HOST:
        case CURLE_FTP_COULDNT_SET_TYPE:
        case CURLE_REMOTE_DISK_FULL: named = UploadStep::Upload; break;
        default: break;
    }
    return std::max(named, reached);
}

std::string WithoutPassword(std::string text, const std::string& password) {
    if (password.empty()) return text;
    for (size_t at = text.find(password); at != std::string::npos; at = text.find(password, at + 3))
        text.replace(at, password.size(), "***");
    return text;
}

class FailureWriter {
public:
    FailureWriter(const UploadRequest& request, std::string server) : request_(request), server_(std::move(server)) {}

    UploadResult operator()(UploadStep step, const std::string& detail) const {
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

// What went wrong, in the most specific words at hand.
std::string FailureDetail(const TransferOutcome& outcome, const char* errorBuffer, const LocalFile& file,
                          const YieldPacer& pacer) {
    if (!outcome.loopError.empty()) return outcome.loopError;
    if (!file.ok()) return file.error();
    if (outcome.code == CURLE_ABORTED_BY_CALLBACK && pacer.abandoned()) return "abandoned by the program";
    // libcurl 7.88 reports a harmless address-printing fault while it opens an active
    // data connection (curl issue 10622); as its message buffer keeps the first fault,
    // the real one is then known only by its code.
    bool spurious = std::strncmp(errorBuffer, "sa_addr inet_ntop()", 19) == 0;
    if (errorBuffer[0] && !spurious) return errorBuffer;
    return curl_easy_strerror(outcome.code);
}

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

// One upload's handles and the state its callbacks keep, from the options to the
// outcome. The file goes to a part file beside the image, its stored size is checked,
// and only then is it renamed onto the image: a transfer cut short leaves the old image
// as it was, and the part file is removed again where the server lets it.
class UploadSession {
public:
    UploadSession(const RemoteAddress& address, const UploadRequest& request, const UploadOptions& options,
                  LocalFile& file)
        : address_(address), request_(request), options_(options),
          file_(file), names_{address.protocol, request.folder, request.remoteName,
                              PartFileName(request.remoteName, UniquePartTag())},
          pacer_(options.yield, options.yieldInterval),
          deadline_(std::chrono::steady_clock::now() + options.limits.transfer) {}

    UploadResult Run(const FailureWriter& fail) {
        if (!multi_.get() || !easy_.get()) return fail(UploadStep::Connect, "libcurl cannot make a transfer handle");
        UploadResult result = SendPart(fail);
        if (result) result = CheckStoredSize(fail);
        if (result) result = PutInPlace(fail);
        // Nothing was made before the part file's transfer began; once the program has
        // asked to stop, no further connection is started.
        if (!result && result.fault().step >= UploadStep::Upload && !pacer_.abandoned()) DiscardPart();
        return result;
    }

private:
    UploadResult SendPart(const FailureWriter& fail) {
        if (CURLcode refused = ConfigureSend(); refused != CURLE_OK)
            return fail(UploadStep::Connect, std::string("libcurl refused a setting: ") + curl_easy_strerror(refused));
        TransferOutcome outcome = Perform();
        if (!Succeeded(outcome)) return fail(StepOfSendFailure(outcome.code), Detail(outcome));
        curl_off_t sent = 0;
        curl_easy_getinfo(easy_.get(), CURLINFO_SIZE_UPLOAD_T, &sent);
        if (sent != file_.size())
            return fail(UploadStep::Upload,
                        "only " + std::to_string(sent) + " of " + std::to_string(file_.size()) + " bytes were sent");
        return UploadResult{};
    }

    // A server can confirm a transfer whose last bytes it lost. Asked without a body,
    // libcurl gives the size of a file: FTP's SIZE, SFTP's stat. A server that knows
    // neither leaves the size unknown and the upload stands on the bytes sent.
    UploadResult CheckStoredSize(const FailureWriter& fail) {
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
        return UploadResult{};
    }

    UploadResult PutInPlace(const FailureWriter& fail) {
        if (IsWebDav(address_.protocol)) return MoveInPlace(fail);
        auto commandSets = ReplaceCommandSets(names_);
        if (!commandSets) return fail(UploadStep::Replace, "the file name holds a line break");
        std::string detail;
        for (const ReplaceAttempt& attempt : *commandSets) {
            std::optional<std::chrono::milliseconds> left = TimeLeft();
            if (!left) return fail(UploadStep::Replace, "the time limit ran out");
            TransferOutcome outcome = PerformFollowUp(FolderUrl(), attempt.commands, *left);
            if (Succeeded(outcome)) return UploadResult{};
            detail = Detail(outcome);
            // The old image back under its name, if it had been moved aside; with its own
            // short limit, as the upload's may have run out.
            if (!attempt.restore.empty()) PerformFollowUp(FolderUrl(), attempt.restore, options_.limits.connect);
            if (pacer_.abandoned()) break;
        }
        return fail(UploadStep::Replace, detail);
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
        return UploadResult{};
    }

    // A request of its own method without a body (MOVE, DELETE) on the same handle.
    TransferOutcome PerformRequest(const char* method, const std::string& url, const std::vector<std::string>& headers,
                                   std::chrono::milliseconds limit) {
        return PerformWithoutBody(url, headers, CURLOPT_HTTPHEADER, method, limit);
    }

    // Every option of the part file's transfer; the first libcurl refused, or CURLE_OK.
    CURLcode ConfigureSend() {
        OptionSetter set(easy_.get());
        SetTarget(set, FileUrl(names_.partName), address_, request_);
        SetUploadSource(set, file_);
        SetLimits(set, options_.limits);
        if (address_.protocol == RemoteProtocol::Sftp)
            SetSftpOptions(set, options_);
        else if (IsWebDav(address_.protocol))
            SetWebDavOptions(set, address_, options_);
        else
            SetFtpOptions(set, address_, options_);
        SetObservers(set, tracker_, pacer_, reply_, errorBuffer_);
        return set.failure();
    }

    // A transfer without a body on the same handle, over the open connection (or a new
    // one when the server closed it), running the commands when it is done.
    TransferOutcome PerformFollowUp(const std::string& url, const std::vector<std::string>& commands,
                                    std::chrono::milliseconds limit) {
        return PerformWithoutBody(url, commands, CURLOPT_POSTQUOTE, nullptr, limit);
    }

    // A transfer without a body: `lines` go to libcurl as the list option `listOption`
    // (HTTP headers, or FTP commands after the transfer), `method` replaces the
    // protocol's own request when given.
    TransferOutcome PerformWithoutBody(const std::string& url, const std::vector<std::string>& lines,
                                       CURLoption listOption, const char* method, std::chrono::milliseconds limit) {
        CurlStringList list;
        for (const std::string& line : lines)
            if (!list.Append(line)) return {CURLE_OUT_OF_MEMORY, "libcurl cannot hold the commands"};
        OptionSetter set(easy_.get());
        set(CURLOPT_URL, url.c_str());
        set(CURLOPT_UPLOAD, 0L);
        set(CURLOPT_NOBODY, 1L);
        if (method) set(CURLOPT_CUSTOMREQUEST, method);
        set(listOption, list.get());
        set(CURLOPT_FRESH_CONNECT, 0L);
        set(CURLOPT_TIMEOUT_MS, Milliseconds(limit));
        if (set.failure() != CURLE_OK) return {set.failure(), {}};
        TransferOutcome outcome = Perform();
        // libcurl keeps the pointers; the list goes with this call.
        curl_easy_setopt(easy_.get(), listOption, nullptr);
        if (method) curl_easy_setopt(easy_.get(), CURLOPT_CUSTOMREQUEST, nullptr);
        return outcome;
    }

    TransferOutcome Perform() {
        errorBuffer_[0] = '\0';
        reply_.Clear();
        CurlMultiMembership membership(multi_, easy_);
        if (!membership.ok()) return {CURLE_FAILED_INIT, "libcurl cannot start the transfer"};
        TransferOutcome outcome = RunTransfer(multi_, easy_, pacer_, options_.yieldInterval);
        if (outcome.code == CURLE_OK && IsWebDav(address_.protocol) && HttpStatus() >= 400)
            outcome.code = CURLE_HTTP_RETURNED_ERROR;
        return outcome;
    }

    long HttpStatus() const {
        long status = 0;
        curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
        return status;
    }

    static bool Succeeded(const TransferOutcome& outcome) {
        return outcome.code == CURLE_OK && outcome.loopError.empty();
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
        return FailureDetail(outcome, errorBuffer_, file_, pacer_);
    }

    // "the server answered 403 Forbidden": the status line as the server wrote it (only
    // its number over HTTP/2, which has no words), cut as any quoted text is.
    std::string HttpRefusal() const {
        std::string status = reply_.statusLine().empty() ? std::to_string(HttpStatus()) : reply_.statusLine();
        return "the server answered " + Excerpt(status);
    }

    // What is left of the whole upload's time limit; nothing once it has run out.
    std::optional<std::chrono::milliseconds> TimeLeft() const {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        return left;
    }

    std::string FileUrl(const std::string& name) const { return RemoteFileUrl(address_, request_.folder, name); }

    // The folder that holds the image, where the finishing commands run.
    std::string FolderUrl() const {
        size_t slash = request_.remoteName.find_last_of('/');
        std::string subfolder = slash == std::string::npos ? "" : request_.remoteName.substr(0, slash);
        return RemoteFolderUrl(address_, request_.folder, subfolder);
    }

    const RemoteAddress& address_;
    const UploadRequest& request_;
    const UploadOptions& options_;
    LocalFile& file_;
    RemoteNames names_;
    CurlMulti multi_;
    CurlEasy easy_;
    ConversationTracker tracker_;
    ServerReply reply_;
    YieldPacer pacer_;
    std::chrono::steady_clock::time_point deadline_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
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
