// tidemark: the program. Reads the command line, then either writes the JSON export of
// the drawn pages without any window, renders every page once offscreen
// (--render-pages), or runs the main window (offscreen with --headless).
#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_host.h"
#include "app/json_export.h"
#include "app/render_pages.h"
#include "app/window_main.h"
#include "core/daynum.h"
#include "core/textfile.h"
#include "devices/net/service_manager.h"

namespace {

// Every file the program writes into its folder is named so.
constexpr const char* kOwnFileNamePrefix = "Tidemark_";

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path p =
        folder.empty() ? std::filesystem::current_path(ec) : std::filesystem::absolute(folder, ec);
    std::string s = p.lexically_normal().string();
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tidemark;
    const std::time_t started = std::time(nullptr);
    const std::string envPassword = TakePasswordFromEnvironment();
    // Taken before any thread starts, as the environment is changed.
    std::shared_ptr<ServiceManagerLink> service = ServiceManagerLink::TakeFromEnvironment();
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine cl = ParseCommandLine(args, envPassword);
    ConcealPassword(argv, cl);
    if (!cl.error.empty()) {
        std::cerr << CommandLineErrorText(cl.error);
        return kExitUsage;
    }
    if (cl.help) {
        std::cout << UsageText();
        return kExitSuccess;
    }
    if (cl.version) {
        std::cout << VersionBanner();
        return kExitSuccess;
    }
    std::string folder = AbsoluteFolder(cl.folder);
    // A run killed while it replaced one of its files (the setup, an image) left the
    // temporary file beside it; nothing else would ever remove it.
    RemoveStaleTemps(folder, kOwnFileNamePrefix, started);
    if (!cl.exportJson.empty()) {
        QCoreApplication app(argc, argv);
        std::optional<double> now;
        if (!cl.now.empty()) now = ParseDateTimeText(cl.now);
        ConsoleHost host(now);
        return RunJsonExport(folder, cl.exportJson, cl.pretty ? JsonLayout::Indented : JsonLayout::Compact, host);
    }
    if (!cl.renderPages.empty()) {
        CommandLine render = cl;
        render.renderPages = AbsoluteFolder(cl.renderPages);
        return RunRenderPages(render, folder, argc, argv);
    }
    if (cl.headless) {
        // Keep an offscreen platform that already names its screen (configfile=...).
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        if (!platform || std::string(platform).rfind("offscreen", 0) != 0) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    return RunWindowedProgram(cl, folder, argc, argv, std::move(service));
}
