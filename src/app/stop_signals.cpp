#include "app/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace tidemark {
namespace {

constexpr std::array<int, 3> kStopSignals = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the interface thread. -1 until Install().
int pipeFds[2] = {-1, -1};

extern "C" void OnStopSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to stop; one more adds nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &number, 1);
    errno = savedErrno;
}

}  // namespace

bool StopSignals::Install() {
    if (pipeFds[0] >= 0) return true;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // A read or write the signal interrupts goes on instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    bool all = true;
    for (int signal : kStopSignals) all = ::sigaction(signal, &action, nullptr) == 0 && all;
    return all;
}

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (pipeFds[0] < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignals::ReadPipe);
}

StopSignals::~StopSignals() = default;

std::string StopSignals::Name(int signal) {
    switch (signal) {
        case SIGTERM: return "SIGTERM";
        case SIGINT: return "SIGINT";
        case SIGHUP: return "SIGHUP";
        default: return "signal " + std::to_string(signal);
    }
}

void StopSignals::ReadPipe() {
    unsigned char numbers[16];
    ssize_t count = 0;
    while ((count = ::read(pipeFds[0], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < count; ++i) Q_EMIT Received(numbers[i]);
}

}  // namespace tidemark
