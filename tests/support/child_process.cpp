#include "support/child_process.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace tidemark::testsupport {

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::string& outputFile, std::string* error) {
    Stop();
    int rc = SpawnWithOutput(argv, outputFile, pid_);
    if (rc == 0) return true;
    pid_ = -1;
    if (error) *error = "Cannot start " + (argv.empty() ? std::string("nothing") : argv[0]) + ": " + std::strerror(rc);
    return false;
}

bool ChildProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
}

void ChildProcess::Stop() {
    if (!Running()) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!Running()) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool WaitForText(const std::string& file, const std::string& text, ChildProcess& process,
                 std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (ReadWholeFile(file).find(text) != std::string::npos) return true;
        if (!process.Running()) return ReadWholeFile(file).find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace tidemark::testsupport
