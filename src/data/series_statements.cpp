#include "data/series_statements.h"

#include "core/vbtext.h"
#include "data/connection_rules.h"

namespace tidemark {
namespace {

std::string DateLiteralText(double day) { return FormatDate(day, "dd-mmm-yyyy"); }

std::string SeriesSelect(const std::string& table, int dsid, double from, double to) {
    return "select date_time, value from " + table + " where datatype_site_id = " + std::to_string(dsid) +
           " and date_time between #" + DateLiteralText(from) + "# " + "and #" + DateLiteralText(to) + "# ";
}

}  // namespace

std::string SeriesStatement(const std::string& table, int dsid, double from, double to) {
    return SeriesSelect(table, dsid, from, to) + "order by date_time;";
}

std::string UnitValuesStatement(int dsid, double start, double end) {
    return SeriesStatement("runit", dsid, start, end);
}

std::string HourlyStatement(int dsid, double start, double end, bool withDailyMaxMin) {
    std::string text = SeriesStatement("rhour", dsid, start, end);
    if (!withDailyMaxMin) return text;
    // The engines run the three as one union ordered by the last part's order. Rows of the
    // three tables at one instant would otherwise come in whatever order the engine's
    // union leaves them, and the same data would draw a different line on another
    // engine; by value is what a union that sorts to remove duplicates gives.
    return text + "union " + SeriesStatement("rdaymax", dsid, start, end) + "union " +
           SeriesSelect("rdaymin", dsid, start, end) + "order by date_time, value;";
}

std::string DailyStatement(int dsid, double start, double last) { return SeriesStatement("rday", dsid, start, last); }

std::string MonthSoFarStatement(int dsid, double monthStart, double dayBefore) {
    return "select date_time, value from rday where datatype_site_id =" + std::to_string(dsid) +
           " and date_time between #" + DateLiteralText(monthStart) + "# and #" + DateLiteralText(dayBefore) +
           "# order by date_time;";
}

std::vector<std::string> TablesOf(const std::string& statement) {
    std::vector<std::string> tables;
    for (const char* table : {"runit", "rhour", "rdaymax", "rdaymin", "rday"})
        if (Contains(statement, std::string("from ") + table + " ")) tables.emplace_back(table);
    return tables;
}

std::string RewriteStatement(const std::string& statement, const SetupSettings& settings, bool unitsToHours) {
    std::string text = AdaptQuery(statement, TablesOf(statement), ConnectionKind{settings.excelmode, false});
    if (unitsToHours) text = ReplaceAll(text, "runit", "rhour");
    if (settings.quotedates) text = ReplaceAll(text, "#", "'");
    return text;
}

}  // namespace tidemark
