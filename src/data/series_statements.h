#pragma once
// The statements that read a graph's series, written once in the program's own form
// (dates "dd-mmm-yyyy" between "#", tables by their plain names), and the rewrites
// that adapt them to the connection and page before they reach the database. The
// engine's own dialect step is applied later, by the Database itself.
#include <string>
#include <vector>

#include "setup/setup_model.h"

namespace tidemark {

// "select date_time, value from <table> where datatype_site_id = N and date_time
//  between #S# and #E# order by date_time;" - the series number is in the statement and
// no reader takes it back, so it is not asked for: every column a row carries costs the
// engine its share of the read.
std::string SeriesStatement(const std::string& table, int dsid, double from, double to);

// Unit values of the window, start to end.
std::string UnitValuesStatement(int dsid, double start, double end);
// Hourly values of the window; with the daily maxima and minima appended as two union
// parts directly after the first statement's ";".
std::string HourlyStatement(int dsid, double start, double end, bool withDailyMaxMin);
// Daily values from `start` to `last` (both dates included).
std::string DailyStatement(int dsid, double start, double last);
// The month-so-far daily values of a monthly graph: the two columns date_time, value.
std::string MonthSoFarStatement(int dsid, double monthStart, double dayBefore);

// The tables a statement of this module names, for the sheet rewrite.
std::vector<std::string> TablesOf(const std::string& statement);

// The rewrites, in their order: each named table becomes its sheet form in Excel mode;
// then, when `unitsToHours`, every "runit" becomes "rhour" (a page plotting hourly
// values although unit values are on); then with quotedates every "#" becomes "'".
std::string RewriteStatement(const std::string& statement, const SetupSettings& settings, bool unitsToHours);

}  // namespace tidemark
