#pragma once
// Text bound for a terminal or a window title, made harmless: names, titles and database
// texts come from files nobody here wrote, and a control character among them would be
// obeyed (ESC [2J clears the operator's terminal, an OSC sequence reaches the log viewer,
// a BEL or ESC in a window title is passed on to the window manager).
#include <string>
#include <string_view>

namespace tidemark {

// Every control character shown as \xNN, one per byte: C0 controls other than TAB, DEL,
// C1 controls written in UTF-8 (C2 80 to C2 9F, shown as \xC2\x9B), and the bytes 80 to
// 9F outside a UTF-8 sequence, which an 8-bit terminal takes as C1 controls (9B is its
// CSI). Everything else is left as it is, also bytes that are not UTF-8.
std::string ShownControls(std::string_view text);

}  // namespace tidemark
