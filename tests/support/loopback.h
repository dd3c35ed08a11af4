#pragma once
// Loopback ports for servers the tests start, and a listener that never answers.
namespace tidemark::testsupport {

// A TCP port on 127.0.0.1 that was free a moment ago (0 when none could be found).
// Another program may take it before it is used, so servers started on it retry.
int FreeLoopbackPort();

// Takes connections on 127.0.0.1 (the system completes the handshake) and never
// reads, writes or closes them: a server that has hung after accepting.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    bool ok() const { return port_ != 0; }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace tidemark::testsupport
