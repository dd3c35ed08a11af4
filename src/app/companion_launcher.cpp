#include "app/companion_launcher.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <filesystem>

#include "app/scope_guard.h"
#include "core/vbtext.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

constexpr int kStartWaitMs = 500;

bool IsExecutable(const std::string& path) {
    QFileInfo info(ProgramText(path));
    return info.isFile() && info.isExecutable();
}

}  // namespace

std::string CompanionLauncher::SiblingFolder(const std::string& programFolder) {
    std::filesystem::path folder(programFolder);
    if (!folder.has_filename()) folder = folder.parent_path();  // the trailing "/"
    return (folder.parent_path() / "Ledgerly").string() + "/";
}

std::string CompanionLauncher::ExecutableIn(const std::string& folder) {
    for (const char* name : {"Ledgerly", "Ledgerly.exe"})
        if (IsExecutable(folder + name)) return folder + name;
    return {};
}

void CompanionLauncher::Launch(const std::string& programFolder, const std::string& argument) {
    if (launching_) return;
    ScopedValue<bool> launching(launching_, true);
    std::string folder = SiblingFolder(programFolder);
    std::string program;
    while ((program = ExecutableIn(folder)).empty()) {
        host_.Message(folder + "Ledgerly.exe not found... try again.", MsgButtons::Ok, MsgIcon::Exclamation);
        std::string answer = Trim(host_.Input("Enter Ledgerly.exe folder name", "Ledgerly.exe path"));
        if (answer.empty()) return;
        if (answer.back() != '/') answer += '/';
        folder = answer;
    }
    // Started directly with its argument, never through a shell.
    QProcess::startDetached(ProgramText(program), {ProgramText(argument)}, ProgramText(folder));
    // A second click while it starts would start a second loader.
    QEventLoop wait;
    QTimer::singleShot(kStartWaitMs, &wait, &QEventLoop::quit);
    wait.exec();
}

}  // namespace tidemark
