#pragma once
// The command line: an optional number of seconds per page (an unattended start with
// page images on every update), optionally followed by the FTP password, plus options.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tidemark {

// Characters of one argument (0-based, without the program name): where the password
// was given, so that the process can overwrite them.
struct ArgumentSpan {
    size_t argument = 0;
    size_t first = 0;
    size_t count = 0;
};

struct CommandLine {
    // The leading number of the plain words; 0 = a normal start. A negative number is
    // an unattended start too, and counts as its absolute value for the page time.
    int16_t autostartseconds = 0;
    std::string password;                     // from the words after the number, or TIDEMARK_FTP_PASSWORD
    std::vector<ArgumentSpan> passwordSpans;  // where the words held it
    std::string folder;                       // --folder DIR, ending with "/"; empty = the current folder
    std::string exportJson;                   // --export-json FILE
    bool pretty = false;                      // --pretty: the export indented for people to read
    std::string renderPages;                  // --render-pages OUTDIR: every page drawn once into OUTDIR, then the end
    bool eachGraph = false;                   // --each-graph: with --render-pages, an image of every graph too
    bool headless = false;                    // --headless: no window, even with a display
    std::string now;                          // --now "YYYY-MM-DD HH:MM": a fixed clock (reproducible runs)
    bool help = false;
    bool version = false;
    std::string error;  // an option that could not be understood

    int PageSeconds() const { return autostartseconds < 0 ? -autostartseconds : autostartseconds; }
};

// args without the program name; envPassword is TIDEMARK_FTP_PASSWORD (may be empty).
CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& envPassword);

// Overwrites the password's characters in the process's own argument memory with "x",
// so the process list (/proc/PID/cmdline, ps) no longer shows it.
void ConcealPassword(char** argv, const CommandLine& cl);

// TIDEMARK_FTP_PASSWORD's value, overwritten where the process keeps it and removed
// from the environment, so no child process (the browser engine's among them) inherits it.
std::string TakePasswordFromEnvironment();

// The exit statuses of the program, as --help and the manual page list them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;       // a fault ended the program, e.g. the setup would not load
inline constexpr int kExitUsage = 2;         // the command line could not be understood
inline constexpr int kExitNotPublished = 3;  // an unattended round ended with images not written or not sent

std::string UsageText();
std::string VersionText();    // "Version " + major.minor.revision, as the splash window shows it
std::string VersionBanner();  // what --version prints: name, version and copyright lines
// What a command line that could not be understood prints on standard error: the
// mistake and where to read how it should look.
std::string CommandLineErrorText(const std::string& error);

}  // namespace tidemark
