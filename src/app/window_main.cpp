#include "app/window_main.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryFile>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "app/stop_signals.h"
#include "core/daynum.h"
#include "data/program_state.h"
#include "devices/web/web_engine.h"

namespace tidemark {
namespace {

constexpr const char* kDefaultOffscreenScreen =
    R"({"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";

bool OffscreenWithoutAScreen() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && std::string(platform) == "offscreen";
}

}  // namespace

// The offscreen platform's own screen is 800 x 800; page images are published for a
// full-size display, so a plain offscreen run gets one. The platform reads the file
// while the application starts; it is removed when this returns.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
    QTemporaryFile screen(QDir::tempPath() + "/tidemark-screen-XXXXXX.json");
    if (OffscreenWithoutAScreen() && screen.open()) {
        QByteArray json(kDefaultOffscreenScreen);
        if (screen.write(json) == json.size() && screen.flush())
            ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen.fileName().toStdString()).c_str(), 1);
    }
    PrepareWebEngine();
    return std::make_unique<QApplication>(argc, argv);
}

namespace {

// The window's run: its exit status, and the line it leaves for the end of the output.
struct WindowRun {
    int status = kExitSuccess;
    std::string lastWords;
};

WindowRun RunWindow(const CommandLine& cl, const std::string& programFolder, QApplication& app,
                    std::shared_ptr<ServiceManagerLink> service) {
    app.setApplicationName("Tidemark");
    // Lets the desktop match the window to tidemark.desktop and so to its icon.
    app.setDesktopFileName("tidemark");
    app.setQuitOnLastWindowClosed(false);

    ProgramState state;
    state.programFolder = programFolder;
    state.autostartseconds = cl.autostartseconds;
    WindowOptions options;
    if (!cl.now.empty()) options.fixedNow = ParseDateTimeText(cl.now);
    options.password = cl.password;
    options.headless = cl.headless;
    options.serviceLink = std::move(service);

    MainWindow window(state, options);
    QObject::connect(&window, &MainWindow::Closed, &app, [&app](int status) { app.exit(status); });
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::Received, &window,
                     [&window](int signal) { window.StopOnSignal(StopSignals::Name(signal)); });
    WindowRun run;
    run.status = window.Open();
    if (run.status != kExitSuccess) return run;
    run.status = window.HasClosed() ? window.ExitStatus() : app.exec();
    if (run.status == kExitNotPublished) run.lastWords = window.RoundShortfall();
    return run;
}

}  // namespace

int RunWindowedProgram(const CommandLine& cl, const std::string& programFolder, int argc, char** argv,
                       std::shared_ptr<ServiceManagerLink> service) {
    // Before the application writes its screen file, which a signal must not leave behind.
    StopSignals::Install();
    std::unique_ptr<QApplication> application = StartApplication(argc, argv);
    WindowRun run = RunWindow(cl, programFolder, *application, std::move(service));
    // After the window and the engine have gone, so that nothing they print follows it.
    application.reset();
    if (!run.lastWords.empty()) std::cerr << run.lastWords << std::endl;
    return run.status;
}

}  // namespace tidemark
