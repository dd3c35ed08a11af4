#pragma once
// A service manager's notification socket for tests: a datagram socket the test binds
// (a path, or "@name" for an abstract one) and a thread that keeps every message with
// the time it came.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tidemark::testsupport {

struct Notification {
    std::chrono::steady_clock::time_point at;
    std::string text;  // the datagram as sent: assignments separated by newlines
};

class NotifyListener {
public:
    explicit NotifyListener(const std::string& address);
    ~NotifyListener();
    NotifyListener(const NotifyListener&) = delete;
    NotifyListener& operator=(const NotifyListener&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& Address() const { return address_; }

    std::vector<Notification> Received() const;
    // The messages holding the assignment `name=...` (name "STATUS" matches "STATUS=x").
    std::vector<Notification> With(const std::string& name) const;
    // Waits until a message holds `name=`; false after `timeout`.
    bool WaitFor(const std::string& name, std::chrono::milliseconds timeout) const;

private:
    void Listen();

    std::string address_;
    std::string error_;
    int socket_ = -1;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Notification> received_;
    std::thread thread_;
};

// The value of the assignment `name` in one message, or "" when it has none.
std::string AssignmentValue(const std::string& message, const std::string& name);

}  // namespace tidemark::testsupport
