// One application for every window test, on the offscreen platform unless the
// environment names another.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/web/web_engine.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tidemark::PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
