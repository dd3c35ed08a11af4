#include "app/command_line.h"

#include <unistd.h>

#include <algorithm>
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

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& envPassword) {
    CommandLine cl;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name) -> std::string {
            if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0)
                return a.substr(name.size() + 1);
            if (i + 1 < args.size()) return args[++i];
            cl.error = name + " needs a value";
            return {};
        };
        if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else if (a == "--headless") {
            cl.headless = true;
        } else if (a == "--folder" || StartsWith(a, "--folder=")) {
            cl.folder = WithSlash(value("--folder"));
        } else if (a == "--export-json" || StartsWith(a, "--export-json=")) {
            cl.exportJson = value("--export-json");
        } else if (a == "--now" || StartsWith(a, "--now=")) {
            cl.now = value("--now");
            if (!ParseDateTimeText(cl.now)) cl.error = "--now needs a date-time such as \"2026-12-08 14:05\"";
        } else if (StartsWith(a, "--")) {
            cl.error = "unknown option " + a;
        } else {
            words.push_back(a);
        }
    }
    // The plain words form the old single command-line text: "SECONDS [PASSWORD]".
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
    text = Trim(text);
    // A whole number as every number of the program becomes one: to the nearest, halves
    // to even, in 16 bits. Cutting off the fraction would make "0.6" a normal start.
    if (std::optional<int16_t> seconds = CInt(Val(text))) {
        cl.autostartseconds = *seconds;
    } else {
        cl.error = "the number of seconds per page must lie within -32768 to 32767";
    }
    size_t space = text.find(' ');
    if (space != std::string::npos) cl.password = Trim(text.substr(space + 1));
    // The environment keeps the password out of the process list.
    if (cl.password.empty()) cl.password = envPassword;
    return cl;
}

std::string UsageText() {
    return "Usage: tidemark [SECONDS [PASSWORD]] [--folder DIR] [--headless] [--export-json FILE]\n"
           "\n"
           "Shows the pages of graphs defined in Tidemark_setup.txt of the program folder.\n"
           "\n"
           "  SECONDS             start unattended: turn pages every SECONDS seconds and write\n"
           "                      an image of every page on each update\n"
           "  PASSWORD            FTP password for publishing the images (or set\n"
           "                      TIDEMARK_FTP_PASSWORD, which keeps it out of the process list)\n"
           "  --folder DIR        the program folder (default: the current folder)\n"
           "  --headless          no window, even when a display is present\n"
           "  --export-json FILE  load every page, draw it and write what was drawn as JSON\n"
           "  --now DATETIME      take DATETIME (\"YYYY-MM-DD HH:MM\") as the present time\n"
           "  --version           print the version\n"
           "  --help              print this text\n";
}

std::string VersionText() { return std::string("Version ") + TIDEMARK_VERSION; }

}  // namespace tidemark
