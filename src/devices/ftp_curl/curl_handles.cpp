#include "devices/ftp_curl/curl_handles.h"

#include <mutex>

namespace tidemark {

Result<void> EnsureCurlInitialised() {
    static std::once_flag once;
    static CURLcode outcome = CURLE_FAILED_INIT;
    // The global state lives as long as the process: cleaning it up at exit would race
    // with any transfer another thread still runs.
    std::call_once(once, [] { outcome = curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (outcome != CURLE_OK) return Fault{std::string("libcurl cannot start: ") + curl_easy_strerror(outcome)};
    return {};
}

}  // namespace tidemark
