#pragma once
// A program the tests run beside themselves (a server), ended when the object goes.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace tidemark::testsupport {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv (argv[0] looked up on PATH unless it holds a "/") with standard
    // output and error going to outputFile. False with a message when it cannot start.
    bool Start(const std::vector<std::string>& argv, const std::string& outputFile, std::string* error);
    // SIGTERM, then SIGKILL when it has not ended within a few seconds.
    void Stop();
    // False once it has ended (it is then reaped).
    bool Running();
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// Waits until the file holds `text`, the process has ended or the time is up; true in
// the first case.
bool WaitForText(const std::string& file, const std::string& text, ChildProcess& process,
                 std::chrono::milliseconds limit);

}  // namespace tidemark::testsupport
