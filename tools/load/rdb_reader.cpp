#include "rdb_reader.h"

#include <cctype>
#include <map>
#include <vector>

#include "field_values.h"
#include "text_input.h"

namespace tidemark::load {
namespace {

const std::initializer_list<std::string_view> kMissingCodes = {"Ice", "Eqp", "***", "Bkw", "Dis", "Ssn", "Mnt", "Fld",
                                                               "Pr",  "Rat", "ZFL", "Zfl", "Dry", "Tst", "--"};

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> out;
    size_t start = 0;
    while (true) {
        size_t at = line.find('\t', start);
        out.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return out;
        start = at + 1;
    }
}

std::vector<std::string_view> SplitBlanks(std::string_view text) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

bool Digits(std::string_view t) {
    if (t.empty()) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

// Short forms of the units agency descriptions spell out.
std::string ShortUnit(std::string unit) {
    static const std::pair<const char*, const char*> kShort[] = {
        {"cubic feet per second", "cfs"},
        {"feet", "ft"},
        {"inches", "in"},
        {"degrees Celsius", "deg C"},
        {"degrees Fahrenheit", "deg F"},
        {"meters", "m"},
        {"cubic meters per second", "m3/s"},
        {"acre-feet", "ac-ft"},
    };
    for (const auto& [longForm, shortForm] : kShort)
        if (unit == longForm) return shortForm;
    return unit;
}

struct Description {
    std::string parameter, unit;
};

// A value column's name: TS_PARAMETER or TS_PARAMETER_STATISTIC.
struct ValueColumn {
    size_t index = 0;
    std::string ts, parameter, statistic;
};

class RdbReader {
public:
    RdbReader(const std::string& path, ZoneClock& clock) : path_(path), clock_(clock) {}

    Result<FileContents> Read(std::string_view text) {
        LineCursor lines(text);
        std::string_view line;
        enum class Expect { Header, Formats, Rows } expect = Expect::Header;
        while (lines.Next(line)) {
            const int n = lines.LineNumber();
            if (!line.empty() && line.front() == '#') {
                ReadComment(line.substr(1));
                expect = Expect::Header;
                continue;
            }
            if (expect == Expect::Header) {
                if (line.empty()) continue;
                if (Result<void> h = ReadHeader(line, n); !h) return h.fault();
                expect = Expect::Formats;
            } else if (expect == Expect::Formats) {
                if (Result<void> f = CheckFormats(line, n); !f) return f.fault();
                expect = Expect::Rows;
            } else if (!line.empty()) {
                if (Result<void> r = ReadRow(line, n); !r) return r.fault();
            }
        }
        if (expect == Expect::Header && contents_.series.empty()) return Fail(0, "holds no RDB header line");
        if (expect == Expect::Formats) return Fail(lines.LineNumber(), "ends before its column-format line");
        contents_.format = "USGS RDB";
        return std::move(contents_);
    }

private:
    Fault Fail(int line, const std::string& what) const { return Fault{what, path_, 0, line}; }

    void ReadComment(std::string_view text) {
        std::vector<std::string_view> words = SplitBlanks(text);
        // "USGS 01646500 POTOMAC RIVER NEAR WASH, DC ..." in the site list.
        if (words.size() >= 3 && words[0] == "USGS" && Digits(words[1])) {
            size_t at = static_cast<size_t>(words[2].data() - text.data());
            siteNames_[std::string(words[1])] = std::string(TrimField(text.substr(at)));
            return;
        }
        // "69928 00060 [00003] Discharge, cubic feet per second [(Mean)]"
        if (words.size() >= 3 && Digits(words[0]) && Digits(words[1]) && words[1].size() == 5) {
            size_t skip = words.size() >= 4 && Digits(words[2]) && words[2].size() == 5 ? 3 : 2;
            size_t at = static_cast<size_t>(words[skip].data() - text.data());
            std::string description(TrimField(text.substr(at)));
            if (!description.empty() && description.back() == ')') {
                size_t open = description.rfind(" (");
                if (open != std::string::npos) description.erase(open);
            }
            Description d;
            size_t comma = description.rfind(", ");
            d.parameter = comma == std::string::npos ? description : description.substr(0, comma);
            d.unit = comma == std::string::npos ? std::string() : ShortUnit(description.substr(comma + 2));
            std::string key = std::string(words[0]) + "_" + std::string(words[1]);
            if (skip == 3) key += "_" + std::string(words[2]);
            descriptions_[key] = d;
        }
    }

    Result<void> ReadHeader(std::string_view line, int n) {
        std::vector<std::string_view> names = SplitTabs(line);
        columnCount_ = names.size();
        siteColumn_ = timeColumn_ = zoneColumn_ = -1;
        values_.clear();
        for (size_t i = 0; i < names.size(); ++i) {
            std::string_view name = TrimField(names[i]);
            if (name == "site_no")
                siteColumn_ = static_cast<int>(i);
            else if (name == "datetime" || name == "dv_dt")
                timeColumn_ = static_cast<int>(i);
            else if (name == "tz_cd")
                zoneColumn_ = static_cast<int>(i);
            else if (Result<void> c = AddValueColumn(name, i, n); !c)
                return c;
        }
        if (siteColumn_ < 0 || timeColumn_ < 0)
            return Fail(n, "is not an RDB header with site_no and datetime columns: " + Quoted(line));
        return {};
    }

    Result<void> AddValueColumn(std::string_view name, size_t index, int n) {
        std::vector<std::string_view> parts;
        size_t start = 0;
        while (true) {
            size_t at = name.find('_', start);
            parts.push_back(name.substr(start, at == std::string_view::npos ? at : at - start));
            if (at == std::string_view::npos) break;
            start = at + 1;
        }
        if (parts.size() < 2 || parts.size() > 3 || !Digits(parts[0]) || !Digits(parts[1])) return {};
        if (parts.size() == 3 && !Digits(parts[2])) return {};  // a qualification-code column
        ValueColumn c{index, std::string(parts[0]), std::string(parts[1]),
                      parts.size() == 3 ? std::string(parts[2]) : ""};
        if (!c.statistic.empty() && c.statistic != "00001" && c.statistic != "00002" && c.statistic != "00003" &&
            c.statistic != "00006") {
            contents_.notes.push_back("column " + std::string(name) + " (line " + std::to_string(n) +
                                      ") passed over: statistic " + c.statistic +
                                      " is not a daily mean, total, maximum or minimum");
            return {};
        }
        values_.push_back(c);
        return {};
    }

    Result<void> CheckFormats(std::string_view line, int n) {
        std::vector<std::string_view> formats = SplitTabs(line);
        if (formats.size() != columnCount_)
            return Fail(n, "has " + std::to_string(formats.size()) + " column formats for " +
                               std::to_string(columnCount_) + " columns");
        for (std::string_view f : formats) {
            f = TrimField(f);
            size_t digits = 0;
            while (digits < f.size() && std::isdigit(static_cast<unsigned char>(f[digits]))) ++digits;
            if (digits == 0 || digits == f.size())
                return Fail(n, "is not an RDB column-format line (\"5s 15s 20d ...\"): " + Quoted(f));
        }
        return {};
    }

    ValueTable TableOf(const std::string& statistic) const {
        if (statistic == "00001") return ValueTable::DayMax;
        if (statistic == "00002") return ValueTable::DayMin;
        return statistic.empty() ? ValueTable::Unit : ValueTable::Day;
    }

    size_t SeriesIndex(std::string_view site, const ValueColumn& c, int n) {
        std::string key = std::string(site) + "\x1F" + c.ts + "_" + c.parameter + "_" + c.statistic;
        auto [it, added] = index_.emplace(key, contents_.series.size());
        if (!added) return it->second;
        FileSeries s;
        auto named = siteNames_.find(std::string(site));
        s.name.site = named != siteNames_.end() ? named->second : "USGS " + std::string(site);
        std::string descriptionKey = c.ts + "_" + c.parameter + (c.statistic.empty() ? "" : "_" + c.statistic);
        auto described = descriptions_.find(descriptionKey);
        if (described == descriptions_.end()) described = descriptions_.find(c.ts + "_" + c.parameter);
        s.name.parameter = described != descriptions_.end() ? described->second.parameter : "parameter " + c.parameter;
        s.name.unit = described != descriptions_.end() ? described->second.unit : "";
        s.name.parameterCode = std::stoi(c.parameter);
        s.table = TableOf(c.statistic);
        s.firstLine = n;
        contents_.series.push_back(std::move(s));
        return it->second;
    }

    Result<void> ReadRow(std::string_view line, int n) {
        std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() > columnCount_)
            return Fail(n,
                        "has " + std::to_string(fields.size()) + " fields, the header " + std::to_string(columnCount_));
        fields.resize(columnCount_);  // trailing empty fields may be left off
        Seconds local = 0, instant = 0;
        std::string_view timeText = TrimField(fields[static_cast<size_t>(timeColumn_)]);
        std::string why;
        std::optional<FileTime> t = ParseFileTime(timeText, &why);
        if (!t) return Fail(n, "datetime " + Quoted(timeText) + " " + why);
        if (zoneColumn_ >= 0 && !t->offset) {
            std::string_view code = TrimField(fields[static_cast<size_t>(zoneColumn_)]);
            std::optional<int> offset = ZoneCodeOffset(code);
            if (!offset) return Fail(n, "has a time-zone code that is not known: " + Quoted(code));
            t->offset = offset;
        }
        if (!PlaceTime(clock_, *t, local, instant, &why)) return Fail(n, "datetime " + Quoted(timeText) + " " + why);
        std::string_view site = TrimField(fields[static_cast<size_t>(siteColumn_)]);
        if (site.empty()) return Fail(n, "has no site_no");
        for (const ValueColumn& c : values_) {
            size_t s = SeriesIndex(site, c, n);
            double v = 0;
            std::string_view field = fields[c.index];
            switch (ReadValueField(field, false, kMissingCodes, v)) {
                case ValueField::Missing: ++contents_.series[s].missing; break;
                case ValueField::NotANumber:
                    return Fail(n, "value " + Quoted(TrimField(field)) + " in column " + c.ts + "_" + c.parameter +
                                       " is not a number nor a code for a missing value");
                case ValueField::Number: contents_.series[s].values.push_back(FileValue{local, instant, v, n}); break;
            }
        }
        return {};
    }

    const std::string& path_;
    ZoneClock& clock_;
    std::map<std::string, std::string> siteNames_;
    std::map<std::string, Description> descriptions_;
    size_t columnCount_ = 0;
    int siteColumn_ = -1, timeColumn_ = -1, zoneColumn_ = -1;
    std::vector<ValueColumn> values_;
    std::map<std::string, size_t> index_;
    FileContents contents_;
};

}  // namespace

bool LooksLikeRdb(std::string_view text) {
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.empty() || line.front() == '#') continue;
        return line.find("agency_cd") != std::string_view::npos && line.find('\t') != std::string_view::npos;
    }
    return false;
}

Result<FileContents> ReadRdb(std::string_view text, const std::string& path, ZoneClock& clock) {
    RdbReader reader(path, clock);
    return reader.Read(text);
}

}  // namespace tidemark::load
