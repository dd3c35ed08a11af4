#include "support/loopback.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tidemark::testsupport {

namespace {

// A socket bound to an unused loopback port, and that port; fd -1 on failure.
int BindLoopback(int& port) {
    port = 0;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

int FreeLoopbackPort() {
    int port = 0;
    int fd = BindLoopback(port);
    if (fd >= 0) close(fd);
    return port;
}

SilentListener::SilentListener() {
    int port = 0;
    fd_ = BindLoopback(port);
    if (fd_ >= 0 && listen(fd_, 16) == 0) port_ = port;
}

SilentListener::~SilentListener() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace tidemark::testsupport
