#pragma once
// The one-shot render (--render-pages OUTDIR): the program folder loaded as an unattended
// start loads it, every page that is not removed drawn once in the main window on the
// offscreen platform, and its image written to OUTDIR as the image cycle names it (with
// --each-graph the images of its graphs too), each published as the cycle publishes it.
// No timer runs and nothing waits for a page time: the program ends when the last page
// is out. A cron job that publishes a web site runs it instead of a whole round.
#include <string>

#include "app/command_line.h"

namespace tidemark {

// Returns 0 when every page was drawn, written and (when publishing asks for FTP) sent;
// otherwise 1, with each reason on standard error.
int RunRenderPages(const CommandLine& cl, const std::string& programFolder, int argc, char** argv);

}  // namespace tidemark
