#pragma once
// What every conversation of the FTP module with a server is made of: libcurl's handles
// with the options of the address's protocol, the observers that keep the server's
// replies and the step reached, the yield that lets the window paint, and the requests
// without a body that finish an upload or tidy a folder.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "devices/ftp_curl/curl_handles.h"
#include "devices/net/ftp_client.h"

namespace tidemark {

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

    // How much of a body is kept: a message needs its start, a folder's listing all of it.
    void KeepUpTo(size_t bytes) { kept_ = bytes; }

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
        reply->body_.append(data, std::min(bytes, reply->kept_ - std::min(reply->kept_, reply->body_.size())));
        return bytes;
    }

private:
    std::string statusLine_;
    std::string body_;
    size_t kept_ = kKeptBytes;
};

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

struct TransferOutcome {
    CURLcode code = CURLE_OK;
    std::string loopError;  // the multi interface itself failed
};

long Milliseconds(std::chrono::milliseconds duration);

// The target, login and limits of a transfer, and the options of its protocol.
void SetTarget(OptionSetter& set, const std::string& url, const RemoteAddress& address, const UploadRequest& request);
void SetLimits(OptionSetter& set, const UploadLimits& limits);
void SetFtpOptions(OptionSetter& set, const RemoteAddress& address, const UploadOptions& options);
void SetWebDavOptions(OptionSetter& set, const RemoteAddress& address, const UploadOptions& options);
void SetSftpOptions(OptionSetter& set, const UploadOptions& options);
void SetObservers(OptionSetter& set, ConversationTracker& tracker, YieldPacer& pacer, ServerReply& reply,
                  char* errorBuffer);

// Runs the transfer, waking at least once per interval so the yield runs even while
// the server is silent.
TransferOutcome RunTransfer(const CurlMulti& multi, const CurlEasy& easy, YieldPacer& pacer,
                            std::chrono::milliseconds interval);

// The step a failure belongs to: what the commands sent so far show, or later when the
// code itself names a later step.
UploadStep StepOfFailure(CURLcode code, UploadStep reached);

// The text with every occurrence of the password as asterisks.
std::string WithoutPassword(std::string text, const std::string& password);

// What went wrong, in the most specific words at hand; `localError` is what reading the
// local file met, if anything.
std::string FailureDetail(const TransferOutcome& outcome, const char* errorBuffer, const std::string& localError,
                          const YieldPacer& pacer);

// One conversation with the server at the address: its handles and what its observers
// keep, the time limit of the whole, and the requests of it.
class RemoteSession {
public:
    RemoteSession(const RemoteAddress& address, const UploadRequest& request, const UploadOptions& options)
        : address_(address), request_(request), options_(options), pacer_(options.yield, options.yieldInterval),
          deadline_(std::chrono::steady_clock::now() + options.limits.transfer) {}
    RemoteSession(const RemoteSession&) = delete;
    RemoteSession& operator=(const RemoteSession&) = delete;

protected:
    bool HasHandles() const { return multi_.get() && easy_.get(); }

    // The options every transfer of the session has, to `url`; the protocol's among them.
    void SetCommonOptions(OptionSetter& set, const std::string& url);

    // A request of its own method without a body (MOVE, DELETE) on the same handle.
    TransferOutcome PerformRequest(const char* method, const std::string& url, const std::vector<std::string>& headers,
                                   std::chrono::milliseconds limit);

    // A transfer without a body on the same handle, over the open connection (or a new
    // one when the server closed it), running the commands when it is done.
    TransferOutcome PerformFollowUp(const std::string& url, const std::vector<std::string>& commands,
                                    std::chrono::milliseconds limit);

    // A transfer without a body: `lines` go to libcurl as the list option `listOption`
    // (HTTP headers, or FTP commands after the transfer), `method` replaces the
    // protocol's own request when given.
    TransferOutcome PerformWithoutBody(const std::string& url, const std::vector<std::string>& lines,
                                       CURLoption listOption, const char* method, std::chrono::milliseconds limit);

    TransferOutcome Perform();
    long HttpStatus() const;
    static bool Succeeded(const TransferOutcome& outcome) {
        return outcome.code == CURLE_OK && outcome.loopError.empty();
    }

    // "the server answered 403 Forbidden": the status line as the server wrote it (only
    // its number over HTTP/2, which has no words), cut as any quoted text is.
    std::string HttpRefusal() const;

    // What is left of the whole session's time limit; nothing once it has run out.
    std::optional<std::chrono::milliseconds> TimeLeft() const;

    std::string FileUrl(const std::string& name) const { return RemoteFileUrl(address_, request_.folder, name); }

    const RemoteAddress& address_;
    const UploadRequest& request_;
    const UploadOptions& options_;
    CurlMulti multi_;
    CurlEasy easy_;
    ConversationTracker tracker_;
    ServerReply reply_;
    YieldPacer pacer_;
    std::chrono::steady_clock::time_point deadline_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace tidemark
