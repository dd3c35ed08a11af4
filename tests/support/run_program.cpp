#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tidemark::testsupport {

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& outputFile) {
    ProgramResult result;
    if (argv.empty()) return result;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        result.output = "Cannot start " + argv[0] + ": " + std::strerror(rc);
        return result;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    std::ifstream in(outputFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    result.output = text.str();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string CommandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& a : argv) line += (line.empty() ? "" : " ") + a;
    return line;
}

}  // namespace tidemark::testsupport
