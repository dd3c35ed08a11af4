#include "support/notify_listener.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sstream>

namespace tidemark::testsupport {

NotifyListener::NotifyListener(const std::string& address) : address_(address) {
    sockaddr_un sa{};
    sa.sun_family = AF_UNIX;
    if (address.size() < 2 || address.size() >= sizeof(sa.sun_path)) {
        error_ = "address too long: " + address;
        return;
    }
    std::memcpy(sa.sun_path, address.data(), address.size());
    if (address[0] == '@') sa.sun_path[0] = '\0';
    socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&sa), length) != 0) {
        error_ = std::string("cannot listen on ") + address + ": " + std::strerror(errno);
        return;
    }
    thread_ = std::thread([this] { Listen(); });
}

NotifyListener::~NotifyListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (socket_ >= 0) ::close(socket_);
    if (!address_.empty() && address_[0] == '/') ::unlink(address_.c_str());
}

void NotifyListener::Listen() {
    char buffer[4096];
    while (!stop_) {
        pollfd p{socket_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        ssize_t n = ::recv(socket_, buffer, sizeof(buffer), 0);
        if (n < 0) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        received_.push_back({std::chrono::steady_clock::now(), std::string(buffer, static_cast<size_t>(n))});
    }
}

std::vector<Notification> NotifyListener::Received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<Notification> NotifyListener::With(const std::string& name) const {
    std::vector<Notification> found;
    for (const Notification& n : Received()) {
        std::istringstream lines(n.text);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(name + "=", 0) == 0) {
                found.push_back(n);
                break;
            }
    }
    return found;
}

bool NotifyListener::WaitFor(const std::string& name, std::chrono::milliseconds timeout) const {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (With(name).empty()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string AssignmentValue(const std::string& message, const std::string& name) {
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    return {};
}

}  // namespace tidemark::testsupport
