#include "app/window_main.h"

#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "core/daynum.h"
#include "core/textfile.h"
#include "data/program_state.h"

namespace tidemark {
namespace {

constexpr const char* kDefaultOffscreenScreen =
    R"({"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";

// The offscreen platform's own screen is 800 x 800; page images are published for a
// full-size display. Returns the file to remove once the platform has read it.
std::string GiveOffscreenAScreen() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform) != "offscreen") return {};
    char path[] = "/tmp/tidemark-screen-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return {};
    ::close(fd);
    if (!WriteFileAtomic(path, kDefaultOffscreenScreen)) {
        RemoveFile(path);
        return {};
    }
    ::setenv("QT_QPA_PLATFORM", (std::string("offscreen:configfile=") + path).c_str(), 1);
    return path;
}

}  // namespace

int RunWindowedProgram(const CommandLine& cl, const std::string& programFolder, int argc, char** argv) {
    std::string screenFile = GiveOffscreenAScreen();
    QApplication app(argc, argv);
    if (!screenFile.empty()) RemoveFile(screenFile);
    app.setApplicationName("Tidemark");
    app.setQuitOnLastWindowClosed(false);

    ProgramState state;
    state.programFolder = programFolder;
    state.autostartseconds = cl.autostartseconds;
    WindowOptions options;
    if (!cl.now.empty()) options.fixedNow = ParseDateTimeText(cl.now);
    options.password = cl.password;

    MainWindow window(state, options);
    QObject::connect(&window, &MainWindow::Closed, &app, [&app](int status) { app.exit(status); });
    int status = window.Open();
    if (status != 0) return status;
    if (window.HasClosed()) return window.ExitStatus();
    return app.exec();
}

}  // namespace tidemark
