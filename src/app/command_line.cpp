#include "app/command_line.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/daynum.h"
#include "core/vbtext.h"

#ifndef TIDEMARK_VERSION
#define TIDEMARK_VERSION "0.0.0"
#endif

namespace tidemark {
namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// "-45" is a negative number of seconds and "-.5" a fraction, but "-v" is an option this
// program does not have. Words after the seconds are the password, which may start
// with anything.
bool LooksLikeShortOption(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') return false;
    char c = word[1];
    return !(c >= '0' && c <= '9') && c != '.';
}

// The characters of the words that follow the first space of their joined text, which
// is what the password is made of.
std::vector<ArgumentSpan> PasswordSpans(const std::vector<std::string>& words,
                                        const std::vector<size_t>& wordArguments) {
    std::string joined;
    for (const auto& w : words) joined += (joined.empty() ? "" : " ") + w;
    const size_t start = joined.find_first_not_of(' ');
    const size_t space = start == std::string::npos ? std::string::npos : joined.find(' ', start);
    std::vector<ArgumentSpan> spans;
    if (space == std::string::npos) return spans;
    size_t offset = 0;
    for (size_t w = 0; w < words.size(); ++w) {
        const size_t end = offset + words[w].size();
        const size_t first = std::max(offset, space + 1);
        if (first < end) spans.push_back({wordArguments[w], first - offset, end - first});
        offset = end + 1;
    }
    return spans;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& envPassword) {
    CommandLine cl;
    std::vector<std::string> words;
    std::vector<size_t> wordArguments;
    bool optionsEnded = false;
    // Only the first mistake is told; later words cannot make it right.
    auto fail = [&](const std::string& error) {
        if (cl.error.empty()) cl.error = error;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name) -> std::string {
            if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0)
                return a.substr(name.size() + 1);
            if (i + 1 < args.size()) return args[++i];
            fail("option '" + name + "' requires an argument");
            return {};
        };
        auto flag = [&](const std::string& name) {
            if (a == name) return true;
            if (!StartsWith(a, name + "=")) return false;
            fail("option '" + name + "' doesn't allow an argument");
            return true;
        };
        if (optionsEnded) {
            words.push_back(a);
            wordArguments.push_back(i);
        } else if (a == "--") {
            // Everything after "--" is plain words, so a password may begin with "-".
            optionsEnded = true;
        } else if (a == "-h" || flag("--help")) {
            cl.help = true;
        } else if (flag("--version")) {
            cl.version = true;
        } else if (flag("--headless")) {
            cl.headless = true;
        } else if (a == "--folder" || StartsWith(a, "--folder=")) {
            cl.folder = WithSlash(value("--folder"));
        } else if (a == "--export-json" || StartsWith(a, "--export-json=")) {
            cl.exportJson = value("--export-json");
        } else if (a == "--render-pages" || StartsWith(a, "--render-pages=")) {
            cl.renderPages = WithSlash(value("--render-pages"));
            if (cl.error.empty() && cl.renderPages.empty()) fail("option '--render-pages' needs a folder");
        } else if (flag("--pretty")) {
            cl.pretty = true;
        } else if (flag("--each-graph")) {
            cl.eachGraph = true;
        } else if (a == "--now" || StartsWith(a, "--now=")) {
            cl.now = value("--now");
            if (cl.error.empty() && !ParseDateTimeText(cl.now))
                fail("invalid date-time '" + cl.now + "' for --now (use \"YYYY-MM-DD HH:MM\")");
        } else if (StartsWith(a, "--")) {
            fail("unrecognized option '" + a + "'");
        } else if (words.empty() && LooksLikeShortOption(a)) {
            fail(std::string("invalid option -- '") + a[1] + "'");
        } else {
            words.push_back(a);
            wordArguments.push_back(i);
        }
    }
    if (!cl.renderPages.empty() && !cl.exportJson.empty())
        fail("options '--render-pages' and '--export-json' cannot be combined");
    if (cl.eachGraph && cl.renderPages.empty()) fail("option '--each-graph' goes with '--render-pages'");
    // The plain words form the old single command-line text: "SECONDS [PASSWORD]".
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
    text = Trim(text);
    // A whole number as every number of the program becomes one: to the nearest, halves
    // to even, in 16 bits. Cutting off the fraction would make "0.6" a normal start.
    if (std::optional<int16_t> seconds = CInt(Val(text))) {
        cl.autostartseconds = *seconds;
    } else {
        fail("the number of seconds per page must lie within -32768 to 32767");
    }
    size_t space = text.find(' ');
    if (space != std::string::npos) {
        cl.password = Trim(text.substr(space + 1));
        cl.passwordSpans = PasswordSpans(words, wordArguments);
    }
    // The environment keeps the password out of the process list.
    if (cl.password.empty()) cl.password = envPassword;
    return cl;
}

void ConcealPassword(char** argv, const CommandLine& cl) {
    for (const ArgumentSpan& span : cl.passwordSpans)
        std::memset(argv[span.argument + 1] + span.first, 'x', span.count);
}

std::string TakePasswordFromEnvironment() {
    constexpr const char* kName = "TIDEMARK_FTP_PASSWORD";
    char* value = std::getenv(kName);
    if (!value) return {};
    std::string password = value;
    // The value lies in the block /proc/PID/environ shows; removing the variable alone
    // would leave it readable there.
    std::memset(value, 'x', password.size());
    ::unsetenv(kName);
    return password;
}

std::string UsageText() {
    return "Usage: tidemark [SECONDS [PASSWORD]] [--folder DIR] [--headless] [--now DATETIME]\n"
           "       tidemark [--folder DIR] --export-json FILE [--pretty] [--now DATETIME]\n"
           "       tidemark [--folder DIR] --render-pages OUTDIR [--each-graph] [--now DATETIME]\n"
           "\n"
           "Shows the pages of graphs defined in Tidemark_setup.txt of the program folder.\n"
           "\n"
           "  SECONDS             start unattended: turn pages every SECONDS seconds, write an\n"
           "                      image of each page, and end after one round of pages\n"
           "  PASSWORD            FTP password for publishing the images (or set\n"
           "                      TIDEMARK_FTP_PASSWORD, which keeps it out of the process list)\n"
           "  --folder DIR        the program folder (default: the current folder)\n"
           "  --headless          no window, even when a display is present\n"
           "  --export-json FILE  load every page, draw it and write what was drawn as JSON\n"
           "  --pretty            with --export-json: indent the JSON (compact by default)\n"
           "  --render-pages OUTDIR\n"
           "                      load every page, draw it offscreen and write its image as\n"
           "                      OUTDIR/Tidemark_window<page>.png, then exit; the images go by\n"
           "                      FTP too when Tidemark_autoweb.txt names a site and a password\n"
           "                      is given (TIDEMARK_FTP_PASSWORD)\n"
           "  --each-graph        with --render-pages: also Tidemark_window_<page>_<graph>.png\n"
           "  --now DATETIME      take DATETIME (\"YYYY-MM-DD HH:MM\") as the present time\n"
           "  --version           print the version and exit\n"
           "  -h, --help          print this text and exit\n"
           "  --                  take every later word as SECONDS or PASSWORD\n"
           "\n"
           "Exit status:\n"
           "  0  the program ended normally\n"
           "  1  a fault ended it: the setup could not be loaded, the export not written, or\n"
           "     with --render-pages a page not drawn, an image not written or not sent\n"
           "  2  the command line could not be understood\n"
           "  3  an unattended round (SECONDS) ended, but some of its images were not written\n"
           "     or not sent; the last line on standard error says how many\n"
           "\n"
           "The files of the program folder and the environment are described in tidemark(1).\n";
}

std::string VersionText() { return std::string("Version ") + TIDEMARK_VERSION; }

std::string VersionBanner() {
    return std::string("tidemark (Tidemark) ") + TIDEMARK_VERSION + "\nCopyright (C) 2026 the Tidemark developers.\n";
}

std::string CommandLineErrorText(const std::string& error) {
    return "tidemark: " + error + "\nTry 'tidemark --help' for more information.\n";
}

}  // namespace tidemark
