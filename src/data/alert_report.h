#pragma once
// The companion logger's alert report: graphs whose dsid field carries ",ALERT" show
// the alerts issued for their series inside the graphed window as marks.
#include <string>

#include "core/host.h"
#include "data/program_state.h"

namespace tidemark {

// The report's path: the Streamkeep folder beside the program folder.
std::string AlertReportPath(const std::string& programFolder);

// Reads the report into the alert marks of every page. A missing report is told through
// the Host and leaves the marks as they are; a report that cannot be read further ends
// reading quietly, keeping the marks collected so far.
void ReadAlertFile(ProgramState& state, Host& host);

// Clears the mark counts of slots 0-11 of a page (before its data is fetched again).
void ClearAlertMarks(PageSet& pages, int page);

}  // namespace tidemark
