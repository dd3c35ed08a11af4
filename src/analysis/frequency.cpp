#include "analysis/frequency.h"

#include <algorithm>
#include <cmath>

#include "analysis/axis.h"
#include "core/color.h"
#include "core/text_limits.h"
#include "core/textfile.h"
#include "core/vbtext.h"

namespace tidemark {
namespace {

constexpr int kMaxRows = 16;

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

FrequencyFault FrequencyFailure(FrequencyFaultKind kind, const std::string& path, std::string description) {
    FrequencyFault fault;
    fault.description = std::move(description);
    fault.file = path;
    fault.kind = kind;
    return fault;
}

FrequencyLoadResult Invalid(const std::string& path, size_t line, const std::string& why, FrequencyTable& table) {
    table = FrequencyTable{};
    return FrequencyFailure(FrequencyFaultKind::Invalid, path, path + ", line " + std::to_string(line) + ": " + why);
}

// Depth at column c of row r, 0 where a table built by hand leaves a gap.
double DepthAt(const FrequencyTable& t, int c, int r) {
    if (c < 0 || r < 0 || static_cast<size_t>(c) >= t.depth.size()) return 0;
    const auto& column = t.depth[static_cast<size_t>(c)];
    return static_cast<size_t>(r) < column.size() ? column[static_cast<size_t>(r)] : 0;
}

}  // namespace

FrequencyLoadResult ReadFrequencyTable(const std::string& path, FrequencyTable& table) {
    table = FrequencyTable{};
    if (!FileExists(path)) return FrequencyFailure(FrequencyFaultKind::NotFound, path, path + " not found.");
    LineRead read = ReadLinesLimited(path);
    if (read.status == LineReadStatus::CannotRead)
        return FrequencyFailure(FrequencyFaultKind::Invalid, path, "Cannot read " + read.fault);
    if (read.status == LineReadStatus::LineTooLong)
        return FrequencyFailure(FrequencyFaultKind::Invalid, path, read.fault);

    FrequencyTable t;
    std::vector<std::vector<double>> rows;  // depth(0..C) per used duration row
    bool headerSeen = false;
    int rowCount = 0;
    const std::vector<std::string>& lines = read.lines;
    for (size_t n = 0; n < lines.size(); ++n) {
        size_t lineNumber = n + 1;
        auto fields = SplitTabs(lines[n]);
        if (fields.size() < 2) continue;
        if (!headerSeen) {
            if (Val(fields[1]) != 1) continue;  // the header is the line of the one-year interval
            if (fields.size() - 1 > 32767)
                return Invalid(path, lineNumber, "the header row has too many fields.", table);
            headerSeen = true;
            t.columns = static_cast<int16_t>(fields.size() - 1);
            for (const auto& field : fields) t.header.push_back(Val(field));
            continue;
        }
        if (fields.size() > t.header.size())
            return Invalid(path, lineNumber,
                           "the row has " + std::to_string(fields.size()) + " fields but the header row has only " +
                               std::to_string(t.header.size()) + ".",
                           table);
        if (++rowCount > kMaxRows) continue;  // later rows are read but not used

        const std::string& label = fields[0];
        double factor = 1;
        if (Contains(label, "h")) factor = 60;
        if (Contains(label, "d")) factor = 1440;
        double duration = Val(label) * factor;
        auto minutes = CInt(duration);
        if (!minutes)
            return Invalid(path, lineNumber,
                           "the duration \"" + Excerpt(label) + "\" is out of range (at most 32767 minutes).", table);
        t.minutes.push_back(*minutes);
        t.steps.push_back(*CInt(*minutes / 5.0));
        std::vector<double> row(t.header.size(), 0.0);
        row[0] = duration;
        for (size_t c = 1; c < fields.size(); ++c) row[c] = Val(fields[c]);
        rows.push_back(std::move(row));
    }

    t.rows = static_cast<int16_t>(rows.size());
    // Row index 0 is unused so that row r sits at index r.
    t.minutes.insert(t.minutes.begin(), 0);
    t.steps.insert(t.steps.begin(), 0);
    t.depth.assign(t.header.size(), std::vector<double>(rows.size() + 1, 0.0));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < t.header.size(); ++c) t.depth[c][r + 1] = rows[r][c];
    t.loaded = true;
    table = std::move(t);
    return {};
}

double Getfrequency(double depth, const FrequencyTable& table, int minutes) {
    int columns = std::min<int>(table.columns, static_cast<int>(table.header.size()) - 1);
    int rowCount = std::min<int>(table.rows, static_cast<int>(table.minutes.size()) - 1);
    // A value the logger never recorded has no interval: it stays a gap, not a 0-year point.
    if (IsMissing(depth)) return kMissing;
    if (columns < 1 || !std::isfinite(depth) || depth < 0) return 0;
    int r = 1;
    while (r <= rowCount && table.minutes[static_cast<size_t>(r)] != minutes) ++r;
    if (r > rowCount) return 0;

    const auto& years = table.header;
    int i = 1;
    while (i <= columns && depth > DepthAt(table, i, r)) ++i;
    double result;
    if (i == 1 || columns == 1) {
        // At or below the first depth (or a one-column table): the straight line from
        // (0, H(0)) through (depth(1), H(1)).
        result = years[0] + (years[1] - years[0]) * depth / DepthAt(table, 1, r);
    } else {
        // Interpolate in the logarithm of the years; beyond the last column extrapolate
        // along the last segment.
        i = std::min(i - 1, columns - 1);
        double low = DepthAt(table, i, r), high = DepthAt(table, i + 1, r);
        double yearsLow = years[static_cast<size_t>(i)], yearsHigh = years[static_cast<size_t>(i) + 1];
        if (yearsLow <= 0 || yearsHigh <= 0 || high == low) return 0;
        double f = (depth - low) / (high - low);
        result = std::exp(std::log(yearsLow) + (std::log(yearsHigh) - std::log(yearsLow)) * f);
    }
    if (!std::isfinite(result)) return 0;
    Roundsig(result);
    return std::isfinite(result) ? result : 0;
}

}  // namespace tidemark
