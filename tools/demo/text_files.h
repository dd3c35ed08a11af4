#pragma once
// The demo folder's other text files: the depth-duration-frequency table, the station
// notes page shown as a web screen, and the companion logger's alert report.
#include <string>

#include "demo_data.h"

namespace tidemark::demo {

inline constexpr const char* kFrequencyFileName = "Tidemark_Frequency.txt";
inline constexpr const char* kAlertFileName = "Streamkeep_Alert.txt";

std::string FrequencyFileText();
std::string StationNotesHtml(const DemoData& data);

// Text with &, < and > written as entities, for HTML and XML alike.
std::string MarkupEscaped(const std::string& s);

// Alerts the logger issued for the Mill Falls stage in the demo's 60 days, in the
// report's marker form.
std::string AlertReportText(const DemoData& data);

}  // namespace tidemark::demo
