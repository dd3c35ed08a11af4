#pragma once
// Owners of libcurl's handles, so every way out of an upload releases them, and the
// library's one-time global set-up.
#include <curl/curl.h>

#include <string>

#include "core/result.h"

namespace tidemark {

// curl_global_init runs once per process, on the first call from any thread; later
// calls report its outcome; a fault gives libcurl's reason.
Result<void> EnsureCurlInitialised();

// One libcurl handle, made by `Make` and released by `Release` when it goes.
template <class Handle, Handle* (*Make)(), auto Release>
class CurlHandle {
public:
    CurlHandle() : handle_(Make()) {}
    ~CurlHandle() {
        if (handle_) Release(handle_);
    }
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    Handle* get() const { return handle_; }

private:
    Handle* handle_;
};

using CurlEasy = CurlHandle<CURL, curl_easy_init, curl_easy_cleanup>;
using CurlMulti = CurlHandle<CURLM, curl_multi_init, curl_multi_cleanup>;

// A list of strings for options such as CURLOPT_POSTQUOTE, which libcurl reads until
// the transfer ends.
class CurlStringList {
public:
    CurlStringList() = default;
    ~CurlStringList() { curl_slist_free_all(list_); }
    CurlStringList(const CurlStringList&) = delete;
    CurlStringList& operator=(const CurlStringList&) = delete;

    bool Append(const std::string& text) {
        curl_slist* longer = curl_slist_append(list_, text.c_str());
        if (!longer) return false;
        list_ = longer;
        return true;
    }
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

// An easy handle added to a multi handle, taken out again before either is cleaned up
// (declare it after both).
class CurlMultiMembership {
public:
    CurlMultiMembership(const CurlMulti& multi, const CurlEasy& easy)
        : multi_(multi.get()), easy_(easy.get()), added_(curl_multi_add_handle(multi_, easy_) == CURLM_OK) {}
    ~CurlMultiMembership() {
        if (added_) curl_multi_remove_handle(multi_, easy_);
    }
    CurlMultiMembership(const CurlMultiMembership&) = delete;
    CurlMultiMembership& operator=(const CurlMultiMembership&) = delete;

    bool ok() const { return added_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool added_;
};

}  // namespace tidemark
