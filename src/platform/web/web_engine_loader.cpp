#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>

#include "core/program_module.h"
#include "platform/web/browser.h"
#include "platform/web/web_engine.h"

#ifndef TIDEMARK_WEB_MODULE_NAME
#define TIDEMARK_WEB_MODULE_NAME "libtidemark_web.so"
#endif
// From the installed program's folder to the installed module's.
#ifndef TIDEMARK_WEB_MODULE_FROM_BIN
#define TIDEMARK_WEB_MODULE_FROM_BIN "../lib/tidemark"
#endif
// The module in the build tree, for the program and the tests run from there.
#ifndef TIDEMARK_WEB_MODULE_BUILT
#define TIDEMARK_WEB_MODULE_BUILT ""
#endif

namespace tidemark {
namespace {

ProgramModuleLocation EngineModule() {
    return {TIDEMARK_WEB_MODULE_NAME, TIDEMARK_WEB_MODULE_FROM_BIN, TIDEMARK_WEB_MODULE_BUILT};
}

}  // namespace

void PrepareWebEngine() {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void ShareOneRendererProcess() {
    std::string flags;
    if (const char* given = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"); given && *given)
        flags = std::string(given) + " ";
    flags += "--renderer-process-limit=1";
    // Without the sandbox nothing needs the zygote, the process renderers are forked
    // from; starting it is a good part of the engine's own start.
    if (const char* unsandboxed = std::getenv("QTWEBENGINE_DISABLE_SANDBOX");
        unsandboxed && *unsandboxed && std::string(unsandboxed) != "0")
        flags += " --no-zygote";
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
}

std::jthread PreloadWebEngine() {
    return std::jthread([] { PreloadProgramModule(EngineModule()); });
}

std::unique_ptr<WebEngine> LoadWebEngine(std::string& error) {
    const ProgramModuleLocation location = EngineModule();
    auto make = reinterpret_cast<MakeWebEngineFunction>(
        LoadProgramModuleSymbol(location, kMakeWebEngineSymbol, "The browser engine module", error));
    if (!make) return nullptr;
    std::unique_ptr<WebEngine> engine(make());
    if (!engine) error = "The browser engine in " + location.fileName + " did not start";
    return engine;
}

}  // namespace tidemark
