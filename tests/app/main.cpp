// One application for every window test, on the offscreen platform unless the
// environment names another.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "devices/web/web_engine.h"

// Under AddressSanitizer: the browser engine's own code (Chromium inside QtWebEngine)
// frees some of its objects with a sized delete of another size. That check is left to
// the engine's makers; every other check stays on for the program's code. ASAN_OPTIONS
// adds to this.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tidemark::PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
