#pragma once
// Loading one file: read it whole, then write it in one transaction - the catalogue rows
// of new series, the values added or replaced, the hourly and daily tables of every day
// it changed, and last the update stamp that makes a running display reload. A fault
// anywhere rolls all of it back. A file that changes nothing writes nothing, not even the
// stamp.
#include <string>
#include <vector>

#include "core/result.h"
#include "load_store.h"
#include "local_time.h"
#include "series_file.h"

namespace tidemark::load {

struct LoadOptions {
    ReadDefaults defaults;
    bool total = false;  // every series of the file is a total (hourly and daily sums)
};

struct SeriesReport {
    CatalogueRow series;
    bool added = false;  // a new catalogue row
    ValueTable table = ValueTable::Unit;
    long long rowsAdded = 0, rowsReplaced = 0, rowsUnchanged = 0, missing = 0;
    Seconds first = 0, last = 0;  // of the file's values
    series_tables::Aggregation aggregation = series_tables::Aggregation::Mean;
    long long hourRows = 0, dayRows = 0;  // hourly and daily rows written again
};

struct FileReport {
    std::string path;
    std::string format;
    std::vector<SeriesReport> series;
    std::vector<std::string> notes;
    bool changed = false;
    Seconds stamp = 0;  // rupdate row 0, when changed
};

// Reads a file of any of the formats, without touching a database.
Result<FileContents> ReadSeriesFile(const std::string& path, ZoneClock& clock, const ReadDefaults& defaults);

// How a series' hourly and daily values are made, from its parameter.
series_tables::Aggregation AggregationOf(const CatalogueRow& series, int parameterCode, bool total);

// `now` is the wall-clock time of the load in the target zone.
Result<FileReport> LoadFile(LoadStore& store, ZoneClock& clock, const std::string& path, const LoadOptions& options,
                            Seconds now);

// The lines the program prints for a loaded file.
std::vector<std::string> ReportLines(const FileReport& report);

// "path:line: description" (or "path: ..." without a line).
std::string FaultLine(const Fault& fault);

}  // namespace tidemark::load
