#pragma once
// What a file holds once read: its series, each named the way the file names it, with
// its values in the target zone's wall-clock time. Nothing here has touched a database.
#include <string>
#include <vector>

#include "series_tables/series_tables.h"

namespace tidemark::load {

using series_tables::Seconds;

// The table a series' values go to: unit values (the hourly and daily tables follow),
// or an agency's daily statistics straight into the daily tables.
enum class ValueTable { Unit, Day, DayMax, DayMin };

// A series as a file names it: a datatype_site_id, or a site name with (optionally) a
// parameter and unit to match rsite with or to give a new catalogue row.
struct SeriesName {
    long long dsid = 0;  // 0: named by site
    std::string site;
    std::string parameter;
    std::string unit;
    int parameterCode = 0;  // an agency's parameter code, when the file gives one
};

struct FileValue {
    Seconds local = 0;    // wall-clock time of the target zone
    Seconds instant = 0;  // to tell the two passes of a repeated hour apart
    double value = 0;
    int line = 0;  // 1-based line of the file
};

struct FileSeries {
    SeriesName name;
    ValueTable table = ValueTable::Unit;
    std::vector<FileValue> values;
    int firstLine = 0;      // the line naming it (header), for messages
    long long missing = 0;  // values given as missing (empty, Ice, Eqp, ***, ...)
};

struct FileContents {
    std::string format;  // "CSV (long form)", "CSV (wide form)", "USGS RDB"
    std::vector<FileSeries> series;
    std::vector<std::string> notes;  // columns passed over, and why
};

// Switches that apply to every series of a file that does not say otherwise.
struct ReadDefaults {
    std::string parameter;
    std::string unit;
};

}  // namespace tidemark::load
