#pragma once
// The JSON export: every page loaded as at start, drawn, and written down slot by slot,
// so what the program would show can be checked without a window.
#include <functional>
#include <string>
#include <string_view>

#include "core/host.h"
#include "core/result.h"
#include "data/program_state.h"
#include "render/render_state.h"

namespace tidemark {

enum class JsonLayout { Compact, Indented };

// Takes the document a piece at a time, in order.
using JsonSink = std::function<Result<void>(std::string_view)>;

// The JSON document of the drawn pages, handed to `sink` a graph at a time as each page
// is drawn. Draws every page that is not removed (the state must have been loaded); the
// current page is left at the last one drawn. Stops at the sink's first fault.
Result<void> WritePagesJson(ProgramState& state, RenderState& render, Host& host, JsonLayout layout,
                            const JsonSink& sink);

// The same document whole.
std::string ExportPagesJson(ProgramState& state, RenderState& render, Host& host,
                            JsonLayout layout = JsonLayout::Indented);

// Loads the program folder in full mode, draws every page and writes the JSON file
// (atomically). Returns the process exit status: 0, or 1 after a fatal load fault or a
// failed write (the message is on standard error through the host).
int RunJsonExport(const std::string& programFolder, const std::string& outputPath, JsonLayout layout, Host& host);

}  // namespace tidemark
