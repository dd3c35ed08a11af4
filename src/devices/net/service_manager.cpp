#include "devices/net/service_manager.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace tidemark {
namespace {

// The socket address of `address`, and its length; none when it does not fit. An
// abstract address ("@name") starts with a zero byte and is not terminated.
std::optional<std::pair<sockaddr_un, socklen_t>> SocketAddress(const std::string& address) {
    sockaddr_un sa{};
    sa.sun_family = AF_UNIX;
    if (address.size() < 2 || address.size() >= sizeof(sa.sun_path) || (address[0] != '/' && address[0] != '@'))
        return std::nullopt;
    std::memcpy(sa.sun_path, address.data(), address.size());
    if (address[0] == '@') sa.sun_path[0] = '\0';
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
    // A path is sent with its terminating zero, as the protocol's own library does.
    if (address[0] == '/') ++length;
    return std::make_pair(sa, length);
}

// WATCHDOG_USEC, when it is meant for this process (WATCHDOG_PID, when set, names it).
std::chrono::microseconds WatchdogFromEnvironment() {
    const char* usec = std::getenv("WATCHDOG_USEC");
    if (!usec) return {};
    if (const char* pid = std::getenv("WATCHDOG_PID"); pid && std::strtoll(pid, nullptr, 10) != ::getpid()) return {};
    char* end = nullptr;
    long long value = std::strtoll(usec, &end, 10);
    if (end == usec || *end != '\0' || value <= 0) return {};
    return std::chrono::microseconds(value);
}

}  // namespace

ServiceManagerLink::ServiceManagerLink(int socket, std::string address, std::chrono::microseconds watchdog)
    : socket_(socket), address_(std::move(address)), watchdog_(watchdog) {}

ServiceManagerLink::~ServiceManagerLink() { ::close(socket_); }

std::unique_ptr<ServiceManagerLink> ServiceManagerLink::TakeFromEnvironment() {
    const char* socket = std::getenv("NOTIFY_SOCKET");
    std::string address = socket ? socket : "";
    std::chrono::microseconds watchdog = WatchdogFromEnvironment();
    ::unsetenv("NOTIFY_SOCKET");
    ::unsetenv("WATCHDOG_USEC");
    ::unsetenv("WATCHDOG_PID");
    if (address.empty()) return nullptr;
    auto link = Open(address, watchdog);
    return link ? std::move(link.value()) : nullptr;
}

Result<std::unique_ptr<ServiceManagerLink>> ServiceManagerLink::Open(const std::string& address,
                                                                     std::chrono::microseconds watchdog) {
    if (!SocketAddress(address)) return Fault{"\"" + address + "\" is not a notification socket address"};
    int s = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) return Fault{std::string("no socket for the service manager: ") + std::strerror(errno)};
    return std::unique_ptr<ServiceManagerLink>(new ServiceManagerLink(s, address, watchdog));
}

Result<void> ServiceManagerLink::Send(const std::string& assignments) {
    auto [sa, length] = *SocketAddress(address_);
    // A full socket buffer must not hold the interface thread: the message is dropped
    // and the next one tells the same again.
    ssize_t sent = ::sendto(socket_, assignments.data(), assignments.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                            reinterpret_cast<const sockaddr*>(&sa), length);
    if (sent < 0) return Fault{"the service manager was not told: " + std::string(std::strerror(errno))};
    return {};
}

}  // namespace tidemark
