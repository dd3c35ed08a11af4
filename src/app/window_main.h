#pragma once
// The windowed program: the application object, the program state and the main window,
// the opening sequence and the event loop.
#include <memory>
#include <string>

#include "app/command_line.h"

class QApplication;

namespace tidemark {

class ServiceManagerLink;

// The application object. A plain offscreen platform gets a 1920 x 1080 screen, the size
// page images are published for, unless QT_QPA_PLATFORM names a configfile of its own.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv);

// Runs the program with its window (offscreen when QT_QPA_PLATFORM says so) and
// returns the exit status: non-zero after a load fault that ends the program, 0 when the
// window is closed or an unattended run has written every page. A plain offscreen
// platform gets a 1920 x 1080 screen, the size page images are published for, unless
// QT_QPA_PLATFORM names a configfile of its own.
// `service`: the service manager running the display, told how it is; none when the
// program was started by hand.
int RunWindowedProgram(const CommandLine& cl, const std::string& programFolder, int argc, char** argv,
                       std::shared_ptr<ServiceManagerLink> service = nullptr);

}  // namespace tidemark
