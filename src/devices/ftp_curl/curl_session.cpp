#include "devices/ftp_curl/curl_session.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/text_limits.h"

namespace tidemark {

long Milliseconds(std::chrono::milliseconds duration) {
    return static_cast<long>(std::max<int64_t>(duration.count(), 1));
}

// Whole seconds, rounded up: some of libcurl's waits are set only in seconds.
static long SecondsAtLeastOne(std::chrono::milliseconds duration) {
    return std::max<long>(static_cast<long>((duration.count() + 999) / 1000), 1);
}

// The one protocol libcurl may speak for the address (never one a redirect asks for).
static const char* ProtocolsOf(RemoteProtocol protocol) {
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
static FtpDataMode EffectiveDataMode(RemoteProtocol protocol, FtpDataMode requested) {
    unsigned version = curl_version_info(CURLVERSION_NOW)->version_num;
    bool activeTlsBroken = version >= 0x075700 && version < 0x080000;
    return protocol == RemoteProtocol::Ftps && activeTlsBroken ? FtpDataMode::Passive : requested;
}

// libcurl before 8.9 can end a TLS 1.3 data connection before the server has read the
// last records of an upload (curl issue 6149, mended by curl pull request 13904): the
// server confirms a file that lacks its end. TLS 1.2 has no records after the handshake
// that cause it, so FTPS stays on 1.2 there.
static bool TlsOneThreeUploadsLoseData() { return curl_version_info(CURLVERSION_NOW)->version_num < 0x080900; }

static void SetPeerCheck(OptionSetter& set, const UploadOptions& options) {
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

// What went wrong, in the most specific words at hand.
std::string FailureDetail(const TransferOutcome& outcome, const char* errorBuffer, const std::string& localError,
                          const YieldPacer& pacer) {
    if (!outcome.loopError.empty()) return outcome.loopError;
    if (!localError.empty()) return localError;
    if (outcome.code == CURLE_ABORTED_BY_CALLBACK && pacer.abandoned()) return "abandoned by the program";
    // libcurl 7.88 reports a harmless address-printing fault while it opens an active
    // data connection (curl issue 10622); as its message buffer keeps the first fault,
    // the real one is then known only by its code.
    bool spurious = std::strncmp(errorBuffer, "sa_addr inet_ntop()", 19) == 0;
    if (errorBuffer[0] && !spurious) return errorBuffer;
    return curl_easy_strerror(outcome.code);
}

void RemoteSession::SetCommonOptions(OptionSetter& set, const std::string& url) {
    SetTarget(set, url, address_, request_);
    SetLimits(set, options_.limits);
    if (address_.protocol == RemoteProtocol::Sftp)
        SetSftpOptions(set, options_);
    else if (IsWebDav(address_.protocol))
        SetWebDavOptions(set, address_, options_);
    else
        SetFtpOptions(set, address_, options_);
    SetObservers(set, tracker_, pacer_, reply_, errorBuffer_);
}

TransferOutcome RemoteSession::PerformRequest(const char* method, const std::string& url,
                                              const std::vector<std::string>& headers,
                                              std::chrono::milliseconds limit) {
    return PerformWithoutBody(url, headers, CURLOPT_HTTPHEADER, method, limit);
}

TransferOutcome RemoteSession::PerformFollowUp(const std::string& url, const std::vector<std::string>& commands,
                                               std::chrono::milliseconds limit) {
    return PerformWithoutBody(url, commands, CURLOPT_POSTQUOTE, nullptr, limit);
}

TransferOutcome RemoteSession::PerformWithoutBody(const std::string& url, const std::vector<std::string>& lines,
                                                  CURLoption listOption, const char* method,
                                                  std::chrono::milliseconds limit) {
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

TransferOutcome RemoteSession::Perform() {
    errorBuffer_[0] = '\0';
    reply_.Clear();
    CurlMultiMembership membership(multi_, easy_);
    if (!membership.ok()) return {CURLE_FAILED_INIT, "libcurl cannot start the transfer"};
    TransferOutcome outcome = RunTransfer(multi_, easy_, pacer_, options_.yieldInterval);
    if (outcome.code == CURLE_OK && IsWebDav(address_.protocol) && HttpStatus() >= 400)
        outcome.code = CURLE_HTTP_RETURNED_ERROR;
    return outcome;
}

long RemoteSession::HttpStatus() const {
    long status = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
    return status;
}

std::string RemoteSession::HttpRefusal() const {
    std::string status = reply_.statusLine().empty() ? std::to_string(HttpStatus()) : reply_.statusLine();
    return "the server answered " + Excerpt(status);
}

std::optional<std::chrono::milliseconds> RemoteSession::TimeLeft() const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    return left;
}

}  // namespace tidemark
