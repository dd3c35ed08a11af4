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

void PrepareWebEngine() {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

std::unique_ptr<WebEngine> LoadWebEngine(std::string& error) {
    const ProgramModuleLocation location{TIDEMARK_WEB_MODULE_NAME, TIDEMARK_WEB_MODULE_FROM_BIN,
                                         TIDEMARK_WEB_MODULE_BUILT};
    auto make = reinterpret_cast<MakeWebEngineFunction>(
        LoadProgramModuleSymbol(location, kMakeWebEngineSymbol, "The browser engine module", error));
    if (!make) return nullptr;
    std::unique_ptr<WebEngine> engine(make());
    if (!engine) error = "The browser engine in " + location.fileName + " did not start";
    return engine;
}

}  // namespace tidemark
