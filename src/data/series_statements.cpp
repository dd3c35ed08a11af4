#include "data/series_statements.h"

#include "core/vbtext.h"
#include "data/connection_rules.h"

namespace tidemark {
namespace {

std::string DateLiteralText(double day) { return FormatDate(day, "dd-mmm-yyyy"); }

std::string UnionPart(const std::string& table, int dsid, double from, double to) {
    return "union " + SeriesStatement(table, dsid, from, to);
}

}  // namespace

std::string SeriesStatement(const std::string& table, int dsid, double from, double to) {
    return "select datatype_site_id, date_time, value from " + table +
           " where datatype_site_id = " + std::to_string(dsid) + " and date_time between #" + DateLiteralText(from) +
           "# " + "and #" + DateLiteralText(to) + "# order by date_time;";
}

std::string UnitValuesStatement(int dsid, double start, double end) {
    return SeriesStatement("runit", dsid, start, end);
}

std::string HourlyStatement(int dsid, double start, double end, bool withDailyMaxMin) {
    std::string text = SeriesStatement("rhour", dsid, start, end);
    if (withDailyMaxMin) text += UnionPart("rdaymax", dsid, start, end) + UnionPart("rdaymin", dsid, start, end);
    return text;
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
