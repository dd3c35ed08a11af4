#pragma once
// The JSON export: every page loaded as at start, drawn, and written down slot by slot,
// so what the program would show can be checked without a window.
#include <string>

#include "core/host.h"
#include "data/program_state.h"
#include "render/render_state.h"

namespace tidemark {

// The JSON document of the drawn pages. Draws every page that is not removed (the
// state must have been loaded); the current page is left at the last one drawn.
std::string ExportPagesJson(ProgramState& state, RenderState& render, Host& host);

// Loads the program folder in full mode, draws every page and writes the JSON file
// (atomically). Returns the process exit status: 0, or 1 after a fatal load fault or a
// failed write (the message is on standard error through the host).
int RunJsonExport(const std::string& programFolder, const std::string& outputPath, Host& host);

}  // namespace tidemark
