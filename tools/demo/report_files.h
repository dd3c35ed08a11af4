#pragma once
// The demo's documents for its "Reports" page of web screens: a one-page PDF report
// and a workbook of the latest readings. Both are written here, byte by byte, so the
// demo needs no document library.
#include <string>

#include "demo_data.h"

namespace tidemark::demo {

inline constexpr const char* kReportPdfFileName = "river_report.pdf";
inline constexpr const char* kReadingsWorkbookFileName = "latest_readings.xlsx";

std::string ReportPdf(const DemoData& data);
// An .xlsx workbook of one sheet "Readings": every series with its latest reading.
std::string ReadingsWorkbook(const DemoData& data);

}  // namespace tidemark::demo
