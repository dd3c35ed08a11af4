#pragma once
// The data feed published beside the web page: one row per published graph, as CSV and
// as JSON, for programs that want the numbers rather than the pictures. A missing value
// is an empty field (CSV) or null (JSON), never the -9999 the program keeps inside.
#include <string>
#include <vector>

#include "publish/page_readings.h"

namespace tidemark {

inline constexpr const char* kValuesCsvFileName = "Tidemark_values.csv";
inline constexpr const char* kValuesJsonFileName = "Tidemark_values.json";

// The field names, in column order.
inline constexpr const char* kValuesCsvHeader = "page,slot,dsid,station,parameter,value,unit,time,warning,flood";

// A day number as ISO 8601 local time with its offset from UTC, e.g.
// "2026-12-08T14:00:00-05:00"; empty for 0.
std::string IsoLocalTime(double day);

// "high", "low", "both" or "none".
std::string WatchCode(WatchCrossing crossing);

// Header and rows, CR LF, UTF-8; slots are numbered 1-12 as the graph images are.
std::string ValuesCsv(const std::vector<PublishedPage>& pages);
// {"generated": time, "values": [ {page, slot, dsid, ...}, ... ]}
std::string ValuesJson(const std::vector<PublishedPage>& pages, double generated);

}  // namespace tidemark
