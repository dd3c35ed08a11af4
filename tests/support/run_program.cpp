#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace tidemark::testsupport {

int WaitForExit(pid_t pid, int timeoutSeconds) {
    int status = 0;
    if (timeoutSeconds > 0) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
        while (true) {
            pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) return status;
            if (done < 0 && errno != EINTR) return -1;
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid, SIGKILL);
    }
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

namespace {

// errorFile empty: standard error goes where standard output goes.
int Spawn(const std::vector<std::string>& argv, const std::string& outputFile, const std::string& errorFile,
          pid_t& pid) {
    if (argv.empty()) return EINVAL;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errorFile.empty())
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace

int SpawnWithOutput(const std::vector<std::string>& argv, const std::string& outputFile, pid_t& pid) {
    return Spawn(argv, outputFile, "", pid);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& outputFile, int timeoutSeconds) {
    ProgramResult result;
    if (argv.empty()) return result;
    pid_t pid = 0;
    int rc = SpawnWithOutput(argv, outputFile, pid);
    if (rc != 0) {
        result.output = "Cannot start " + argv[0] + ": " + std::strerror(rc);
        return result;
    }
    int status = WaitForExit(pid, timeoutSeconds);
    result.output = ReadWholeFile(outputFile);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

SeparateStreamsResult RunProgramSeparately(const std::vector<std::string>& argv, const std::string& outFile,
                                           const std::string& errFile, int timeoutSeconds) {
    SeparateStreamsResult result;
    pid_t pid = 0;
    int rc = Spawn(argv, outFile, errFile, pid);
    if (rc != 0) {
        result.err = "Cannot start " + (argv.empty() ? std::string("nothing") : argv[0]) + ": " + std::strerror(rc);
        return result;
    }
    int status = WaitForExit(pid, timeoutSeconds);
    result.out = ReadWholeFile(outFile);
    result.err = ReadWholeFile(errFile);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string CommandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& a : argv) line += (line.empty() ? "" : " ") + a;
    return line;
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace tidemark::testsupport
