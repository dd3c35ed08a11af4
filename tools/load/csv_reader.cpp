#include "csv_reader.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "field_values.h"
#include "text_input.h"

namespace tidemark::load {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

bool IsTimeName(const std::string& n) { return IsOneOf(n, {"date_time", "datetime", "date", "time", "timestamp"}); }
bool IsSiteName(const std::string& n) {
    return IsOneOf(n, {"site", "site_name", "datatype_site_id", "series", "site_id", "station"});
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() < 16 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

char ChooseDelimiter(std::string_view header) {
    long commas = std::count(header.begin(), header.end(), ',');
    long semicolons = std::count(header.begin(), header.end(), ';');
    long tabs = std::count(header.begin(), header.end(), '\t');
    if (tabs > commas && tabs >= semicolons) return '\t';
    if (semicolons > commas) return ';';
    return ',';
}

// Splits one line; false when a quoted field is not closed.
bool SplitFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields,
                 std::vector<std::string>& unquoted) {
    fields.clear();
    if (line.find('"') == std::string_view::npos) {
        size_t start = 0;
        while (true) {
            size_t at = line.find(delimiter, start);
            fields.push_back(line.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
            if (at == std::string_view::npos) return true;
            start = at + 1;
        }
    }
    unquoted.clear();
    unquoted.reserve(line.size());
    size_t i = 0;
    while (true) {
        std::string field;
        while (i < line.size() && line[i] == ' ') ++i;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (true) {
                if (i >= line.size()) return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            while (i < line.size() && line[i] != delimiter) ++i;
        } else {
            while (i < line.size() && line[i] != delimiter) field += line[i++];
        }
        unquoted.push_back(std::move(field));
        if (i >= line.size()) break;
        ++i;
    }
    for (const std::string& f : unquoted) fields.push_back(f);
    return true;
}

SeriesName NameOf(std::string_view text, const ReadDefaults& defaults) {
    SeriesName name;
    text = TrimField(text);
    if (AllDigits(text)) {
        name.dsid = std::stoll(std::string(text));
        return name;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t bar = text.find('|', start);
        parts.emplace_back(TrimField(text.substr(start, bar == std::string_view::npos ? bar : bar - start)));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    name.site = parts[0];
    name.parameter = parts.size() > 1 ? parts[1] : defaults.parameter;
    name.unit = parts.size() > 2 ? parts[2] : defaults.unit;
    return name;
}

class CsvReader {
public:
    CsvReader(const std::string& path, ZoneClock& clock, const ReadDefaults& defaults)
        : path_(path), clock_(clock), defaults_(defaults) {}

    Result<FileContents> Read(std::string_view text) {
        LineCursor lines(text);
        std::string_view line;
        while (lines.Next(line) && TrimField(line).empty()) {}
        if (TrimField(line).empty()) return Fail(0, "holds no header line");
        delimiter_ = ChooseDelimiter(line);
        if (!SplitFields(line, delimiter_, fields_, unquoted_)) return Fail(lines.LineNumber(), "has an open quote");
        std::vector<std::string> header;
        for (std::string_view f : fields_) header.push_back(Lower(TrimField(f)));
        headerLine_ = lines.LineNumber();
        if (Result<void> columns = FindColumns(header); !columns) return columns.fault();
        while (lines.Next(line)) {
            if (TrimField(line).empty()) continue;
            if (!SplitFields(line, delimiter_, fields_, unquoted_))
                return Fail(lines.LineNumber(), "has an open quote");
            if (fields_.size() != header.size())
                return Fail(lines.LineNumber(), "has " + std::to_string(fields_.size()) + " fields, the header " +
                                                    std::to_string(header.size()));
            Result<void> row = long_ ? LongRow(lines.LineNumber()) : WideRow(lines.LineNumber());
            if (!row) return row.fault();
        }
        contents_.format = long_ ? "CSV (long form)" : "CSV (wide form)";
        return std::move(contents_);
    }

private:
    Fault Fail(int line, const std::string& what) const { return Fault{what, path_, 0, line}; }

    Result<void> FindColumns(const std::vector<std::string>& header) {
        for (size_t i = 0; i < header.size(); ++i) {
            const std::string& n = header[i];
            if (IsTimeName(n) && timeColumn_ < 0)
                timeColumn_ = static_cast<int>(i);
            else if (IsSiteName(n) && siteColumn_ < 0)
                siteColumn_ = static_cast<int>(i);
            else if (n == "value" && valueColumn_ < 0)
                valueColumn_ = static_cast<int>(i);
            else if (n == "parameter" && parameterColumn_ < 0)
                parameterColumn_ = static_cast<int>(i);
            else if (n == "unit" && unitColumn_ < 0)
                unitColumn_ = static_cast<int>(i);
        }
        if (timeColumn_ < 0)
            return Fail(headerLine_, "has no date_time column in its header (date_time, datetime, date or timestamp)");
        long_ = siteColumn_ >= 0 && valueColumn_ >= 0;
        if (long_) return {};
        // Wide form: every column but the time is a series.
        for (size_t i = 0; i < header.size(); ++i) {
            if (static_cast<int>(i) == timeColumn_) continue;
            std::string_view title = TrimField(fields_[i]);
            if (title.empty()) return Fail(headerLine_, "has a column without a name in its header");
            wideSeries_.push_back(SeriesIndex(NameOf(title, defaults_), headerLine_));
        }
        if (wideSeries_.empty()) return Fail(headerLine_, "names no series in its header");
        return {};
    }

    size_t SeriesIndex(const SeriesName& name, int line) {
        std::string key = std::to_string(name.dsid) + "\x1F" + name.site + "\x1F" + name.parameter + "\x1F" + name.unit;
        auto [it, added] = index_.emplace(key, contents_.series.size());
        if (added) {
            FileSeries s;
            s.name = name;
            s.firstLine = line;
            contents_.series.push_back(std::move(s));
        }
        return it->second;
    }

    Result<void> Time(int line, Seconds& local, Seconds& instant) {
        std::string_view text = TrimField(fields_[static_cast<size_t>(timeColumn_)]);
        std::string why;
        std::optional<FileTime> t = ParseFileTime(text, &why);
        if (!t || !PlaceTime(clock_, *t, local, instant, &why))
            return Fail(line, "date_time " + Quoted(text) + " " + why);
        return {};
    }

    Result<void> AddValue(size_t series, std::string_view field, int line, Seconds local, Seconds instant) {
        double v = 0;
        switch (ReadValueField(field, delimiter_ != ',', {"NA", "NaN", "nan", "null", "NULL"}, v)) {
            case ValueField::Missing: ++contents_.series[series].missing; return {};
            case ValueField::NotANumber: return Fail(line, "value " + Quoted(TrimField(field)) + " is not a number");
            case ValueField::Number: break;
        }
        contents_.series[series].values.push_back(FileValue{local, instant, v, line});
        return {};
    }

    Result<void> LongRow(int line) {
        Seconds local = 0, instant = 0;
        if (Result<void> t = Time(line, local, instant); !t) return t;
        std::string_view site = TrimField(fields_[static_cast<size_t>(siteColumn_)]);
        if (site.empty()) return Fail(line, "has no site");
        std::string_view parameter = Column(parameterColumn_), unit = Column(unitColumn_);
        // Consecutive rows mostly name the same series: its index is kept.
        if (!lastSeen_ || site != lastSite_ || parameter != lastParameter_ || unit != lastUnit_) {
            SeriesName name = NameOf(site, defaults_);
            if (name.dsid == 0) {
                if (!parameter.empty()) name.parameter = parameter;
                if (!unit.empty()) name.unit = unit;
            }
            lastIndex_ = SeriesIndex(name, line);
            lastSite_.assign(site);
            lastParameter_.assign(parameter);
            lastUnit_.assign(unit);
            lastSeen_ = true;
        }
        return AddValue(lastIndex_, fields_[static_cast<size_t>(valueColumn_)], line, local, instant);
    }

    // A column's trimmed field, or "" for a column the header does not have.
    std::string_view Column(int column) const {
        return column < 0 ? std::string_view() : TrimField(fields_[static_cast<size_t>(column)]);
    }

    Result<void> WideRow(int line) {
        Seconds local = 0, instant = 0;
        if (Result<void> t = Time(line, local, instant); !t) return t;
        size_t k = 0;
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (static_cast<int>(i) == timeColumn_) continue;
            if (Result<void> v = AddValue(wideSeries_[k++], fields_[i], line, local, instant); !v) return v;
        }
        return {};
    }

    const std::string& path_;
    ZoneClock& clock_;
    const ReadDefaults& defaults_;
    char delimiter_ = ',';
    int headerLine_ = 0;
    int timeColumn_ = -1, siteColumn_ = -1, valueColumn_ = -1, parameterColumn_ = -1, unitColumn_ = -1;
    bool long_ = false;
    std::vector<size_t> wideSeries_;
    std::map<std::string, size_t> index_;
    bool lastSeen_ = false;
    std::string lastSite_, lastParameter_, lastUnit_;
    size_t lastIndex_ = 0;
    std::vector<std::string_view> fields_;
    std::vector<std::string> unquoted_;
    FileContents contents_;
};

}  // namespace

Result<FileContents> ReadCsv(std::string_view text, const std::string& path, ZoneClock& clock,
                             const ReadDefaults& defaults) {
    CsvReader reader(path, clock, defaults);
    return reader.Read(text);
}

}  // namespace tidemark::load
