#include "local_time.h"

#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "core/daynum.h"
#include "core/local_time_fields.h"

namespace tidemark::load {
namespace {

// Day zero (1899-12-30) counted from 1970-01-01.
constexpr long long kDayZeroFromUnix = -25569;
constexpr Seconds kQuarterHour = 900;

Seconds FloorDiv(Seconds a, Seconds b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::time_t UnixOf(Seconds t) { return static_cast<std::time_t>(t + kDayZeroFromUnix * 86400); }

// Reads exactly `count` digits at text[pos].
bool Digits(std::string_view text, size_t& pos, int count, int& out) {
    if (pos + static_cast<size_t>(count) > text.size()) return false;
    out = 0;
    for (int k = 0; k < count; ++k) {
        char c = text[pos + static_cast<size_t>(k)];
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    pos += static_cast<size_t>(count);
    return true;
}

bool ParseOffset(std::string_view text, size_t& pos, int& offset) {
    if (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos == text.size()) return false;
    if (text[pos] == 'Z' || text[pos] == 'z') {
        ++pos;
        offset = 0;
        return true;
    }
    if (text[pos] != '+' && text[pos] != '-') return false;
    int sign = text[pos++] == '-' ? -1 : 1;
    int hours = 0, minutes = 0;
    if (!Digits(text, pos, 2, hours)) return false;
    if (pos < text.size()) {
        if (text[pos] == ':') ++pos;
        if (!Digits(text, pos, 2, minutes)) return false;
    }
    if (hours > 18 || minutes > 59) return false;
    offset = sign * (hours * 3600 + minutes * 60);
    return true;
}

CivilTime CivilOf(Seconds t) { return ToCivil(static_cast<double>(t) / static_cast<double>(series_tables::kDay)); }

std::tm TmOf(Seconds wallClock) { return LocalTmOf(CivilOf(wallClock)); }

bool KnownZoneName(const std::string& zone) {
    if (zone == "UTC" || zone == "GMT") return true;
    if (zone.empty() || zone.front() == '/' || zone.find("..") != std::string::npos) return false;
    const char* dir = std::getenv("TZDIR");
    std::string path = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + zone;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

Seconds SecondsFromCivil(int year, int month, int day, int hour, int minute, int second) {
    return static_cast<Seconds>(std::llround(DateSerial(year, month, day))) * series_tables::kDay + hour * 3600 +
           minute * 60 + second;
}

bool IsRealDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

void WriteStoredText(Seconds t, char* out) {
    const CivilTime c = CivilOf(t);
    auto two = [&](int at, int v) {
        out[at] = static_cast<char>('0' + v / 10);
        out[at + 1] = static_cast<char>('0' + v % 10);
    };
    two(0, c.year / 100 % 100);
    two(2, c.year % 100);
    out[4] = '-';
    two(5, c.month);
    out[7] = '-';
    two(8, c.day);
    out[10] = ' ';
    two(11, c.hour);
    out[13] = ':';
    two(14, c.minute);
    out[16] = ':';
    two(17, c.second);
}

std::string StoredText(Seconds t) {
    std::string s(19, ' ');
    WriteStoredText(t, s.data());
    return s;
}

std::optional<Seconds> ParseStoredText(std::string_view text) {
    std::string why;
    std::optional<FileTime> t = ParseFileTime(text, &why);
    if (!t || t->offset) return std::nullopt;
    return t->wallClock;
}

std::optional<FileTime> ParseFileTime(std::string_view text, std::string* why) {
    size_t pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    auto fail = [&](const char* reason) -> std::optional<FileTime> {
        if (why) *why = reason;
        return std::nullopt;
    };
    auto expect = [&](char c) {
        if (pos < text.size() && text[pos] == c) return ++pos, true;
        return false;
    };
    if (!Digits(text, pos, 4, y) || !expect('-') || !Digits(text, pos, 2, mo) || !expect('-') ||
        !Digits(text, pos, 2, d))
        return fail("is not a date-time of the form YYYY-MM-DD HH:MM");
    if (!IsRealDate(y, mo, d)) return fail("is a date that does not exist");
    FileTime out;
    if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T') && pos + 1 < text.size() &&
        std::isdigit(static_cast<unsigned char>(text[pos + 1]))) {
        ++pos;
        if (!Digits(text, pos, 2, h) || !expect(':') || !Digits(text, pos, 2, mi))
            return fail("is not a date-time of the form YYYY-MM-DD HH:MM");
        if (expect(':')) {
            if (!Digits(text, pos, 2, s)) return fail("is not a date-time of the form YYYY-MM-DD HH:MM:SS");
            // Fractions of a second are dropped: the tables hold whole seconds.
            if (expect('.'))
                while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
        }
        if (h > 23 || mi > 59 || s > 59) return fail("is a time of day that does not exist");
    }
    if (pos < text.size()) {
        int offset = 0;
        if (!ParseOffset(text, pos, offset) || pos != text.size())
            return fail("has text after the date-time that is not a UTC offset (Z, +HH:MM)");
        out.offset = offset;
    }
    out.wallClock = SecondsFromCivil(y, mo, d, h, mi, s);
    return out;
}

std::optional<int> ZoneCodeOffset(std::string_view code) {
    struct Code {
        std::string_view name;
        int hours;
    };
    // North American codes of agency files, and the universal ones.
    static constexpr Code kCodes[] = {
        {"UTC", 0},   {"GMT", 0},   {"Z", 0},    {"AST", -4},  {"ADT", -3},  {"EST", -5}, {"EDT", -4},
        {"CST", -6},  {"CDT", -5},  {"MST", -7}, {"MDT", -6},  {"PST", -8},  {"PDT", -7}, {"AKST", -9},
        {"AKDT", -8}, {"HST", -10}, {"HDT", -9}, {"SST", -11}, {"CHST", 10}, {"NST", -3}, {"NDT", -2},
    };
    for (const Code& c : kCodes)
        if (c.name == code) return c.hours * 3600 - (c.name == "NST" || c.name == "NDT" ? 1800 : 0);
    return std::nullopt;
}

Result<ZoneClock> ZoneClock::Make(const std::string& zone) {
    ZoneClock clock;
    if (!zone.empty()) {
        if (!KnownZoneName(zone))
            return Fault{"unknown time zone \"" + zone + "\" (give a name such as America/New_York, or UTC)"};
        // The loader is a process of its own: the zone is set for all of it.
        ::setenv("TZ", zone == "UTC" || zone == "GMT" ? "UTC0" : zone.c_str(), 1);
        clock.name_ = zone;
    } else {
        const char* tz = std::getenv("TZ");
        clock.name_ = tz && *tz ? tz : "the machine's local time";
    }
    ::tzset();
    return clock;
}

Seconds ZoneClock::LocalOf(Seconds wallClock, int offset) {
    const Seconds utc = wallClock - offset;
    const Seconds key = FloorDiv(utc, kQuarterHour);
    auto found = utcOffsets_.find(key);
    if (found == utcOffsets_.end()) {
        std::time_t unix = UnixOf(key * kQuarterHour);
        std::tm tm{};
        ::localtime_r(&unix, &tm);
        found = utcOffsets_.emplace(key, static_cast<int>(tm.tm_gmtoff)).first;
    }
    return utc + found->second;
}

int ZoneClock::OffsetAt(Seconds wallClock) {
    const Seconds key = FloorDiv(wallClock, kQuarterHour);
    auto found = wallOffsets_.find(key);
    if (found == wallOffsets_.end()) {
        std::tm tm = TmOf(key * kQuarterHour);
        const std::tm asked = tm;
        std::time_t unix = std::mktime(&tm);
        // mktime moves a time in the skipped hour out of it: the fields then differ.
        bool same = tm.tm_year == asked.tm_year && tm.tm_mon == asked.tm_mon && tm.tm_mday == asked.tm_mday &&
                    tm.tm_hour == asked.tm_hour && tm.tm_min == asked.tm_min;
        int offset = INT_MIN;
        if (same && unix != static_cast<std::time_t>(-1)) offset = static_cast<int>(tm.tm_gmtoff);
        found = wallOffsets_.emplace(key, offset).first;
    }
    return found->second;
}

bool ZoneClock::Exists(Seconds wallClock) { return OffsetAt(wallClock) != INT_MIN; }

}  // namespace tidemark::load
