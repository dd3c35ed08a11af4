#include "loader.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "csv_reader.h"
#include "rdb_reader.h"
#include "text_input.h"

namespace tidemark::load {
namespace {

using series_tables::Aggregation;
using series_tables::DayStart;
using series_tables::kDay;

// The first id of an empty catalogue.
constexpr long long kFirstNewDsid = 1001;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool SameName(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

Table TableOf(ValueTable t) {
    switch (t) {
        case ValueTable::Unit: return Table::Unit;
        case ValueTable::Day: return Table::Day;
        case ValueTable::DayMax: return Table::DayMax;
        case ValueTable::DayMin: return Table::DayMin;
    }
    return Table::Unit;
}

// Finds or adds the catalogue row of a series; `catalogue` gains added rows.
Result<CatalogueRow> Resolve(LoadStore& store, std::vector<CatalogueRow>& catalogue, const FileSeries& file,
                             const std::string& path, bool& added) {
    const SeriesName& name = file.name;
    added = false;
    if (name.dsid != 0) {
        for (const CatalogueRow& row : catalogue)
            if (row.dsid == name.dsid) return row;
        return Fault{"series " + std::to_string(name.dsid) +
                         " is not in the catalogue (rsite); name a new series by its site name instead",
                     path, 0, file.firstLine};
    }
    std::vector<const CatalogueRow*> matches;
    for (const CatalogueRow& row : catalogue)
        if (SameName(row.site, name.site) && (name.parameter.empty() || SameName(row.parameter, name.parameter)))
            matches.push_back(&row);
    if (matches.size() == 1) return *matches.front();
    if (matches.size() > 1)
        return Fault{"site \"" + name.site + "\" has " + std::to_string(matches.size()) +
                         " series in the catalogue; name the parameter too (or use the datatype_site_id)",
                     path, 0, file.firstLine};
    CatalogueRow row;
    row.site = name.site;
    row.parameter = name.parameter;
    row.unit = name.unit;
    long long maxId = 0, maxType = 0;
    bool codeTaken = false;
    for (const CatalogueRow& r : catalogue) {
        maxId = std::max(maxId, r.dsid);
        maxType = std::max(maxType, r.datatypeId);
        if (!row.parameter.empty() && SameName(r.parameter, row.parameter) && row.datatypeId == 0)
            row.datatypeId = r.datatypeId;
        if (r.datatypeId == name.parameterCode) codeTaken = true;
    }
    // The program takes 0 for the whole database (rupdate) and 1 for an empty graph slot.
    row.dsid = catalogue.empty() ? kFirstNewDsid : std::max<long long>(maxId + 1, 2);
    if (row.datatypeId == 0) row.datatypeId = name.parameterCode > 0 && !codeTaken ? name.parameterCode : maxType + 1;
    if (Result<void> r = store.AddSeries(row); !r) return r.fault();
    catalogue.push_back(row);
    added = true;
    return row;
}

// The file's values of one series, one a wall-clock time. Where the same time comes more
// than once for one instant, the later line wins (a logger's correction). Where two
// instants share a wall-clock time - the autumn hour that repeats, given with its
// offsets - both are kept in one value: their total for a total, else their mean.
std::vector<Point> OneValueATime(const std::vector<FileValue>& given, Aggregation aggregation) {
    auto earlier = [](const FileValue& a, const FileValue& b) {
        return a.local != b.local ? a.local < b.local : a.instant < b.instant;
    };
    // Files are mostly in time order already: then they are read as they are.
    std::vector<FileValue> sorted;
    if (!std::is_sorted(given.begin(), given.end(), earlier)) {
        sorted = given;
        std::stable_sort(sorted.begin(), sorted.end(), earlier);
    }
    const std::vector<FileValue>& values = sorted.empty() ? given : sorted;
    std::vector<Point> out;
    out.reserve(values.size());
    size_t i = 0;
    while (i < values.size()) {
        double sum = 0;
        int instants = 0;
        size_t j = i;
        while (j < values.size() && values[j].local == values[i].local) {
            size_t k = j;
            while (k + 1 < values.size() && values[k + 1].local == values[j].local &&
                   values[k + 1].instant == values[j].instant)
                ++k;
            sum += values[k].value;  // the last line of this instant
            ++instants;
            j = k + 1;
        }
        out.push_back(Point{values[i].local, aggregation == Aggregation::Sum ? sum : sum / instants});
        i = j;
    }
    return out;
}

struct Changes {
    std::vector<Point> added, replaced;
    long long unchanged = 0;
};

Changes Compare(const std::vector<Point>& incoming, const std::vector<Point>& existing) {
    Changes c;
    size_t e = 0;
    for (const Point& p : incoming) {
        while (e < existing.size() && existing[e].time < p.time) ++e;
        if (e < existing.size() && existing[e].time == p.time) {
            if (existing[e].value == p.value)
                ++c.unchanged;
            else
                c.replaced.push_back(p);
        } else {
            c.added.push_back(p);
        }
    }
    return c;
}

// What the unit table holds over the file's span once written: the stored rows with the
// file's values put in.
std::vector<Point> Merged(const std::vector<Point>& stored, const std::vector<Point>& incoming) {
    std::vector<Point> out;
    out.reserve(stored.size() + incoming.size());
    size_t a = 0, b = 0;
    while (a < stored.size() || b < incoming.size()) {
        if (b == incoming.size() || (a < stored.size() && stored[a].time < incoming[b].time)) {
            out.push_back(stored[a++]);
        } else {
            if (a < stored.size() && stored[a].time == incoming[b].time) ++a;
            out.push_back(incoming[b++]);
        }
    }
    return out;
}

// The hourly and daily tables of the days [from, to) computed again from the unit values:
// `span` is what the unit table now holds over [spanFirst, spanLast]; only the parts of
// the days outside it are read back.
Result<void> Recompute(LoadStore& store, long long dsid, Seconds from, Seconds to, const std::vector<Point>& span,
                       Seconds spanFirst, Seconds spanLast, Aggregation aggregation, SeriesReport& report) {
    Result<std::vector<Point>> unit = store.Range(Table::Unit, dsid, from, spanFirst);
    if (!unit) return unit.fault();
    for (const Point& p : span)
        if (p.time >= from && p.time < to) unit->push_back(p);
    if (spanLast + 1 < to) {
        Result<std::vector<Point>> after = store.Range(Table::Unit, dsid, spanLast + 1, to);
        if (!after) return after.fault();
        unit->insert(unit->end(), after->begin(), after->end());
    }
    // Rows without a value count as missing values.
    std::erase_if(unit.value(), [](const Point& p) { return std::isnan(p.value); });
    Result<std::optional<Seconds>> last = store.LastTime(Table::Unit, dsid);
    if (!last) return last.fault();
    const Seconds seriesEnd = last.value().value_or(to);
    series_tables::Tables t = series_tables::HourlyAndDaily(unit.value(), aggregation, seriesEnd);
    series_tables::DailyExtremes(unit.value(), seriesEnd, t);
    const std::pair<Table, const std::vector<Point>*> tables[] = {
        {Table::Hour, &t.hourly}, {Table::Day, &t.daily}, {Table::DayMax, &t.dailyMax}, {Table::DayMin, &t.dailyMin}};
    for (const auto& [table, rows] : tables) {
        if (Result<void> r = store.Delete(table, dsid, from, to); !r) return r;
        if (Result<void> r = store.Insert(table, dsid, *rows); !r) return r;
    }
    report.hourRows = static_cast<long long>(t.hourly.size());
    report.dayRows = static_cast<long long>(t.daily.size());
    return {};
}

Result<SeriesReport> LoadSeries(LoadStore& store, std::vector<CatalogueRow>& catalogue, const FileSeries& file,
                                const std::string& path, const LoadOptions& options) {
    SeriesReport report;
    Result<CatalogueRow> row = Resolve(store, catalogue, file, path, report.added);
    if (!row) return row.fault();
    report.series = row.value();
    report.table = file.table;
    report.missing = file.missing;
    report.aggregation = AggregationOf(report.series, file.name.parameterCode, options.total);
    std::vector<Point> incoming = OneValueATime(file.values, report.aggregation);
    if (incoming.empty()) return report;
    report.first = incoming.front().time;
    report.last = incoming.back().time;
    const Table table = TableOf(file.table);
    const long long dsid = report.series.dsid;
    Result<std::vector<Point>> existing = store.Range(table, dsid, report.first, report.last + 1);
    if (!existing) return existing.fault();
    // A span with nothing stored yet (the common first load) needs no comparing.
    Changes c;
    if (existing->empty())
        c.added = std::move(incoming);
    else
        c = Compare(incoming, existing.value());
    report.rowsAdded = static_cast<long long>(c.added.size());
    report.rowsReplaced = static_cast<long long>(c.replaced.size());
    report.rowsUnchanged = c.unchanged;
    // The day the series ended on before this file was judged on its values so far; once
    // the series goes on past it, it is judged again as a whole day.
    Result<std::optional<Seconds>> previousEnd = store.LastTime(table, dsid);
    if (!previousEnd) return previousEnd.fault();
    if (Result<void> r = store.Insert(table, dsid, c.added); !r) return r.fault();
    if (Result<void> r = store.Update(table, dsid, c.replaced); !r) return r.fault();
    if (table != Table::Unit || (c.added.empty() && c.replaced.empty())) return report;
    Seconds firstChanged = INT64_MAX, lastChanged = INT64_MIN;
    for (const auto* list : {&c.added, &c.replaced})
        for (const Point& p : *list)
            firstChanged = std::min(firstChanged, p.time), lastChanged = std::max(lastChanged, p.time);
    std::vector<Point> merged;
    const std::vector<Point>& span = existing->empty() ? c.added : (merged = Merged(existing.value(), incoming));
    Seconds from = DayStart(firstChanged);
    if (const std::optional<Seconds>& end = previousEnd.value(); end && *end < report.first)
        from = std::min(from, DayStart(*end));
    if (Result<void> r = Recompute(store, dsid, from, DayStart(lastChanged) + kDay, span, report.first, report.last,
                                   report.aggregation, report);
        !r)
        return r.fault();
    return report;
}

Result<FileReport> LoadInTransaction(LoadStore& store, const FileContents& contents, const std::string& path,
                                     const LoadOptions& options, Seconds now) {
    FileReport report;
    report.path = path;
    report.format = contents.format;
    report.notes = contents.notes;
    Result<std::vector<CatalogueRow>> catalogue = store.Catalogue();
    if (!catalogue) return catalogue.fault();
    for (const FileSeries& series : contents.series) {
        Result<SeriesReport> s = LoadSeries(store, catalogue.value(), series, path, options);
        if (!s) return s.fault();
        report.changed |= s->added || s->rowsAdded > 0 || s->rowsReplaced > 0;
        report.series.push_back(std::move(s.value()));
    }
    if (!report.changed) return report;
    // The stamp always moves forward, so a display that read the last one sees a change
    // even when two loads fall within one second.
    Result<std::optional<Seconds>> stamp = store.Stamp();
    if (!stamp) return stamp.fault();
    report.stamp = stamp.value() && *stamp.value() >= now ? *stamp.value() + 1 : now;
    if (Result<void> r = store.WriteStamp(report.stamp); !r) return r.fault();
    return report;
}

std::string TableWords(ValueTable t) {
    switch (t) {
        case ValueTable::Unit: return "unit values";
        case ValueTable::Day: return "daily values";
        case ValueTable::DayMax: return "daily maxima";
        case ValueTable::DayMin: return "daily minima";
    }
    return "";
}

std::string AggregationWords(Aggregation a) {
    switch (a) {
        case Aggregation::Mean: return "means";
        case Aggregation::Sum: return "totals";
        case Aggregation::Direction: return "vector means";
    }
    return "";
}

}  // namespace

Aggregation AggregationOf(const CatalogueRow& series, int parameterCode, bool total) {
    const std::string p = Lower(series.parameter);
    // 00045 is the agency's code for precipitation totals.
    if (total || parameterCode == 45 || p.find("precip") != std::string::npos || p.find("rain") != std::string::npos ||
        p.find("evapo") != std::string::npos)
        return Aggregation::Sum;
    if (p.find("direction") != std::string::npos) return Aggregation::Direction;
    return Aggregation::Mean;
}

Result<FileContents> ReadSeriesFile(const std::string& path, ZoneClock& clock, const ReadDefaults& defaults) {
    Result<std::string> text = ReadInputFile(path);
    if (!text) return text.fault();
    if (LooksLikeRdb(text.value())) return ReadRdb(text.value(), path, clock);
    return ReadCsv(text.value(), path, clock, defaults);
}

Result<FileReport> LoadFile(LoadStore& store, ZoneClock& clock, const std::string& path, const LoadOptions& options,
                            Seconds now) {
    Result<FileContents> contents = ReadSeriesFile(path, clock, options.defaults);
    if (!contents) return contents.fault();
    if (Result<void> begun = store.Begin(); !begun) {
        store.Rollback();
        return begun.fault();
    }
    Result<FileReport> report = LoadInTransaction(store, contents.value(), path, options, now);
    if (report) {
        if (Result<void> committed = store.Commit(); !committed) report = committed.fault();
    }
    if (!report) store.Rollback();
    return report;
}

std::vector<std::string> ReportLines(const FileReport& report) {
    std::vector<std::string> lines;
    long long added = 0, replaced = 0, unchanged = 0;
    for (const SeriesReport& s : report.series)
        added += s.rowsAdded, replaced += s.rowsReplaced, unchanged += s.rowsUnchanged;
    lines.push_back(report.path + ": " + report.format + ", " + std::to_string(report.series.size()) + " series, " +
                    std::to_string(added) + " rows added, " + std::to_string(replaced) + " replaced, " +
                    std::to_string(unchanged) + " unchanged" + (report.changed ? "" : " (nothing changed)"));
    for (const SeriesReport& s : report.series) {
        const CatalogueRow& c = s.series;
        std::string line = "  " + std::to_string(c.dsid) + " " + c.site + " / " + c.parameter +
                           (c.unit.empty() ? "" : " (" + c.unit + ")") + ": ";
        if (s.added) line = "  new series" + line.substr(1);
        line += TableWords(s.table) + ", " + std::to_string(s.rowsAdded) + " added, " + std::to_string(s.rowsReplaced) +
                " replaced, " + std::to_string(s.rowsUnchanged) + " unchanged";
        if (s.missing) line += ", " + std::to_string(s.missing) + " missing";
        if (s.rowsAdded + s.rowsReplaced + s.rowsUnchanged > 0)
            line += ", " + StoredText(s.first) + " to " + StoredText(s.last);
        if (s.hourRows + s.dayRows > 0)
            line += "; hourly and daily " + AggregationWords(s.aggregation) + " computed again (" +
                    std::to_string(s.hourRows) + " hours, " + std::to_string(s.dayRows) + " days)";
        lines.push_back(line);
    }
    for (const std::string& note : report.notes) lines.push_back("  note: " + note);
    if (report.changed) lines.push_back("  update stamp set to " + StoredText(report.stamp));
    return lines;
}

std::string FaultLine(const Fault& fault) {
    std::string where = fault.file;
    if (fault.line > 0) where += ":" + std::to_string(fault.line);
    return where.empty() ? fault.description : where + ": " + fault.description;
}

}  // namespace tidemark::load
