#pragma once
// The link to the service manager that started the program (systemd's notification
// protocol): one datagram of "NAME=value" lines per message to the socket named by
// NOTIFY_SOCKET. A program started by hand has no link and says nothing.
#include <chrono>
#include <memory>
#include <string>

#include "core/result.h"

namespace tidemark {

class ServiceManagerLink {
public:
    // The link the environment names (NOTIFY_SOCKET, and WATCHDOG_USEC when the service
    // has a watchdog), or none. The variables are removed from the environment, so that
    // no process the program starts (the browser engine, an editor, the companion
    // loader) speaks for it or is taken for it. Call it before any thread starts.
    static std::unique_ptr<ServiceManagerLink> TakeFromEnvironment();

    // A link to `address`: a socket path, or "@name" for an abstract socket. A zero
    // `watchdog` means the service has none.
    static Result<std::unique_ptr<ServiceManagerLink>> Open(const std::string& address,
                                                            std::chrono::microseconds watchdog);

    ~ServiceManagerLink();
    ServiceManagerLink(const ServiceManagerLink&) = delete;
    ServiceManagerLink& operator=(const ServiceManagerLink&) = delete;

    // Sends one message: assignments separated by newlines ("READY=1\nSTATUS=...").
    Result<void> Send(const std::string& assignments);

    // How long the manager waits for a watchdog ping before it takes the program for
    // hung; zero when the service has no watchdog.
    std::chrono::microseconds Watchdog() const { return watchdog_; }

private:
    ServiceManagerLink(int socket, std::string address, std::chrono::microseconds watchdog);

    int socket_;
    std::string address_;
    std::chrono::microseconds watchdog_;
};

}  // namespace tidemark
