#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>
#include <cstdlib>

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

QStringList ModuleCandidates() {
    QStringList paths;
    paths << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/" TIDEMARK_WEB_MODULE_FROM_BIN "/" TIDEMARK_WEB_MODULE_NAME));
    if (QString built = QStringLiteral(TIDEMARK_WEB_MODULE_BUILT); !built.isEmpty()) paths << built;
    return paths;
}

}  // namespace

void PrepareWebEngine() {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

std::unique_ptr<WebEngine> LoadWebEngine(std::string& error) {
    QStringList tried;
    for (const QString& path : ModuleCandidates()) {
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        QLibrary module(path);
        // Kept loaded: the engine's objects live until the program ends.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        auto make = reinterpret_cast<MakeWebEngineFunction>(module.resolve(kMakeWebEngineSymbol));
        if (!make) {
            error = "The browser engine module " + path.toStdString() +
                    " cannot be loaded: " + module.errorString().toStdString();
            return nullptr;
        }
        std::unique_ptr<WebEngine> engine(make());
        if (!engine) error = "The browser engine in " + path.toStdString() + " did not start";
        return engine;
    }
    error = "The browser engine module is not installed (looked for " + tried.join(", ").toStdString() + ")";
    return nullptr;
}

}  // namespace tidemark
