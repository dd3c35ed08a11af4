#pragma once
// The demo's setup file, written in the exact layout the program itself saves.
#include <string>

namespace tidemark::demo {

inline constexpr const char* kDemoDatabaseFileName = "tidemark_demo.sqlite";
inline constexpr const char* kStationNotesFileName = "station_notes.html";

// What the web screens show: the station notes page, the PDF report and the workbook.
struct DemoDocuments {
    std::string notes, report, workbook;
};

// The setup file's bytes (CR LF lines).
std::string DemoSetupText(const DemoDocuments& documents);

}  // namespace tidemark::demo
