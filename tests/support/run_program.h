#pragma once
// Runs a program and waits for it, with its standard output and error captured.
#include <sys/types.h>

#include <string>
#include <vector>

namespace tidemark::testsupport {

// The lines of a tool's output that are not empty.
std::vector<std::string> NonEmptyLines(const std::string& text);

struct ProgramResult {
    int exitCode = -1;   // -1 when it could not be started or did not exit normally
    std::string output;  // standard output and standard error together
};

// argv[0] is looked up on PATH unless it holds a "/". outputFile receives the output
// while the program runs (it is read back into the result). A program still running
// after timeoutSeconds (0 = no limit) is killed and its exit code is -1.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& outputFile, int timeoutSeconds = 0);

// The same with standard output and standard error kept apart, for checks of which of
// the two a text went to.
struct SeparateStreamsResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
SeparateStreamsResult RunProgramSeparately(const std::vector<std::string>& argv, const std::string& outFile,
                                           const std::string& errFile, int timeoutSeconds = 0);

// Starts argv (argv[0] looked up on PATH unless it holds a "/") with no input and its
// standard output and error going to outputFile. 0 and the child's pid, or the error
// number when it could not start.
int SpawnWithOutput(const std::vector<std::string>& argv, const std::string& outputFile, pid_t& pid);

// Waits for a child started with SpawnWithOutput and returns its wait status (-1, which
// is no normal exit, when it cannot be waited for); past timeoutSeconds (0 = no limit) it
// is killed first.
int WaitForExit(pid_t pid, int timeoutSeconds);

// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// The arguments as one line, for messages.
std::string CommandLine(const std::vector<std::string>& argv);

}  // namespace tidemark::testsupport
