#pragma once
// The demo's setup file, written in the exact layout the program itself saves.
#include <string>

namespace tidemark::demo {

inline constexpr const char* kDemoDatabaseFileName = "tidemark_demo.sqlite";
inline constexpr const char* kStationNotesFileName = "station_notes.html";

// The setup file's bytes (CR LF lines). `notesAddress` is what the station-notes web
// screen shows.
std::string DemoSetupText(const std::string& notesAddress);

}  // namespace tidemark::demo
