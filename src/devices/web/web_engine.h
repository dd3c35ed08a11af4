#pragma once
// The browser engine behind web screens. It is a module of its own (libtidemark_web),
// loaded with the first web screen: linked into the program it made every start map and
// relocate the engine's libraries, the larger part of the time before page 1 shows,
// whether the setup had web screens or not.
#include <memory>
#include <string>
#include <thread>

#include "core/result.h"
#include "devices/web/local_documents.h"

class QWidget;

namespace tidemark {

class Browser;

// Before the application object exists: the engine's sandbox cannot run as root (a
// kiosk or a container often runs the program so), and its contexts are shared.
void PrepareWebEngine();

// A run that ends after one round of pages (a one-shot render): all its documents share
// one renderer process. Starting renderers is most of what the documents cost on a small
// machine, and such a run has no use for the isolation a window that runs for months
// keeps. After PrepareWebEngine, before the engine is loaded.
void ShareOneRendererProcess();

// Maps the engine's libraries (a few hundred megabytes) on a thread of its own while the
// caller goes on, so that LoadWebEngine then only has to start it. The thread is waited
// for when the returned object goes.
std::jthread PreloadWebEngine();

// One off-the-record profile that every web screen's view shares (no disk cache or
// cookies kept, no access to file: addresses), with the small script that reports a
// document's mouse-ups to the program.
class WebEngine {
public:
    WebEngine() = default;
    WebEngine(const WebEngine&) = delete;
    WebEngine& operator=(const WebEngine&) = delete;
    virtual ~WebEngine() = default;

    virtual std::unique_ptr<Browser> MakeBrowser(QWidget* parent) = 0;
    // Where local documents come from (local_documents.h); none are given without one.
    virtual void SetLocalDocumentSource(LocalDocumentSource source) = 0;
};

// The engine from its module; a fault when the module cannot be loaded or the engine
// does not start. The module stays loaded until the program ends.
Result<std::unique_ptr<WebEngine>> LoadWebEngine();

// What the module exports: a new engine, or null when the engine cannot start.
using MakeWebEngineFunction = WebEngine* (*)();
inline constexpr const char* kMakeWebEngineSymbol = "tidemark_make_web_engine";

}  // namespace tidemark
