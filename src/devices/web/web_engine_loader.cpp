#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/program_module.h"
#include "devices/web/browser.h"
#include "devices/web/web_engine.h"

namespace tidemark {

namespace {

// The engine's own reports on how it started (its graphics, its switches, its sandbox):
// of use to whoever debugs the engine, noise beside the program's own lines.
constexpr std::string_view kEngineCategoryPrefix = "qt.webengine";
constexpr const char* kEngineLines[] = {
    "WebEngineContext used before",
    "Sandboxing disabled by user",
    "Qt WebEngine seems to be initialized from a plugin",
    "No suitable graphics backend found",
};
// Only what ends a process of the engine is logged by it.
constexpr const char* kEngineLogLevel = "--log-level=3";

QtMessageHandler programHandler = nullptr;

bool FromTheEngine(const QMessageLogContext& context, const QString& text) {
    if (context.category && std::string_view(context.category).starts_with(kEngineCategoryPrefix)) return true;
    const QString trimmed = text.trimmed();
    for (const char* line : kEngineLines)
        if (trimmed.startsWith(QLatin1String(line))) return true;
    return false;
}

void WithoutEngineReports(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg && FromTheEngine(context, text)) return;
    programHandler(type, context, text);
}

bool DebuggingTheEngine() {
    const char* debug = std::getenv("TIDEMARK_DEBUG");
    return debug && std::string_view(debug) == "1";
}

void AddEngineFlag(const char* flag) {
    std::string flags;
    if (const char* given = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"); given && *given)
        flags = std::string(given) + " ";
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + flag).c_str(), 1);
}

}  // namespace

void PrepareWebEngine() {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // Before the application object: the engine shares the application's OpenGL
    // contexts, which exist only when asked for before it.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (DebuggingTheEngine()) return;
    AddEngineFlag(kEngineLogLevel);
    // Installed once; the handler passes every other line to the one it replaced.
    if (!programHandler) programHandler = qInstallMessageHandler(WithoutEngineReports);
}

void ShareOneRendererProcess() {
    AddEngineFlag("--renderer-process-limit=1");
    // Without the sandbox nothing needs the zygote, the process renderers are forked
    // from; starting it is a good part of the engine's own start.
    if (const char* unsandboxed = std::getenv("QTWEBENGINE_DISABLE_SANDBOX");
        unsandboxed && *unsandboxed && std::string(unsandboxed) != "0")
        AddEngineFlag("--no-zygote");
}

std::jthread PreloadWebEngine() {
    return std::jthread([] { PreloadProgramModule(TIDEMARK_MODULE_LOCATION(TIDEMARK_WEB)); });
}

Result<std::unique_ptr<WebEngine>> LoadWebEngine() {
    const ProgramModuleLocation location = TIDEMARK_MODULE_LOCATION(TIDEMARK_WEB);
    auto make = LoadModuleFunction<MakeWebEngineFunction>(location, kMakeWebEngineSymbol, "The browser engine module");
    if (!make) return make.fault();
    std::unique_ptr<WebEngine> engine((*make)());
    if (!engine) return Fault{"The browser engine in " + location.fileName + " did not start"};
    return engine;
}

}  // namespace tidemark
