#include "core/daynum.h"

#include <sys/time.h>

#include <cctype>
#include <cmath>
#include <ctime>
#include <string>

namespace tidemark {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// 1899-12-30 in days since 1970-01-01.
constexpr long long kEpochOffset = -25569;

long long SecondsOf(double day) { return std::llround(day * 86400.0); }

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

double DateSerial(int year, int month, int day) {
    // Months outside 1..12 roll into neighbouring years, days outside the month roll on.
    long long m0 = static_cast<long long>(month) - 1;
    long long y = year + FloorDiv(m0, 12);
    unsigned m = static_cast<unsigned>(m0 - FloorDiv(m0, 12) * 12) + 1;
    long long days = DaysFromCivil(y, m, 1) + (day - 1);
    return static_cast<double>(days - kEpochOffset);
}

double TimeSerial(int hour, int minute, int second) { return (hour * 3600.0 + minute * 60.0 + second) / 86400.0; }

double MakeDayNumber(int year, int month, int day, int hour, int minute, int second) {
    return DateSerial(year, month, day) + TimeSerial(hour, minute, second);
}

CivilTime ToCivil(double day) {
    long long secs = SecondsOf(day);
    long long days = FloorDiv(secs, 86400);
    long long rem = secs - days * 86400;
    CivilTime c;
    CivilFromDays(days + kEpochOffset, c.year, c.month, c.day);
    c.hour = static_cast<int>(rem / 3600);
    c.minute = static_cast<int>((rem % 3600) / 60);
    c.second = static_cast<int>(rem % 60);
    return c;
}

double DatePart(double day) { return static_cast<double>(FloorDiv(SecondsOf(day), 86400)); }
int Hour(double day) { return ToCivil(day).hour; }
int Minute(double day) { return ToCivil(day).minute; }
int Year(double day) { return ToCivil(day).year; }
int Month(double day) { return ToCivil(day).month; }
int DayOfMonth(double day) { return ToCivil(day).day; }

int DayOfYear(double day) {
    CivilTime c = ToCivil(day);
    return static_cast<int>(DatePart(day) - DateSerial(c.year, 1, 1)) + 1;
}

double FirstOfMonth(double day) {
    CivilTime c = ToCivil(day);
    return DateSerial(c.year, c.month, 1);
}

long long HourBoundaries(double a, double b) { return FloorDiv(SecondsOf(b), 3600) - FloorDiv(SecondsOf(a), 3600); }

namespace {

bool ReadInt(std::string_view s, size_t& pos, size_t digits, int& out) {
    if (pos + digits > s.size()) return false;
    int v = 0;
    for (size_t i = 0; i < digits; ++i) {
        char ch = s[pos + i];
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + (ch - '0');
    }
    pos += digits;
    out = v;
    return true;
}

bool ValidDate(int y, int m, int d) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    if (d > kDays[m - 1]) return false;
    if (m == 2 && d == 29) {
        bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        if (!leap) return false;
    }
    return true;
}

int MonthFromName(std::string_view s) {
    static const char* kNames[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (s.size() != 3) return 0;
    for (int i = 0; i < 12; ++i) {
        bool same = true;
        for (int k = 0; k < 3; ++k)
            if (std::tolower(static_cast<unsigned char>(s[k])) != kNames[i][k]) same = false;
        if (same) return i + 1;
    }
    return 0;
}

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Optional " hh:mm[:ss[.fff]]" tail (the separator already consumed).
bool ReadTime(std::string_view s, size_t& pos, int& h, int& mi, int& se) {
    h = mi = se = 0;
    if (!ReadInt(s, pos, 2, h)) return false;
    if (pos >= s.size() || s[pos] != ':') return false;
    ++pos;
    if (!ReadInt(s, pos, 2, mi)) return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!ReadInt(s, pos, 2, se)) return false;
        if (pos < s.size() && s[pos] == '.') {
            ++pos;
            size_t start = pos;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
            if (pos == start) return false;
        }
    }
    return h < 24 && mi < 60 && se < 60;
}

}  // namespace

std::optional<double> ParseIsoDateTime(std::string_view text) {
    std::string_view s = TrimView(text);
    size_t pos = 0;
    int y, m, d;
    if (!ReadInt(s, pos, 4, y) || pos >= s.size() || s[pos] != '-') return std::nullopt;
    ++pos;
    if (!ReadInt(s, pos, 2, m) || pos >= s.size() || s[pos] != '-') return std::nullopt;
    ++pos;
    if (!ReadInt(s, pos, 2, d) || !ValidDate(y, m, d)) return std::nullopt;
    int h = 0, mi = 0, se = 0;
    if (pos < s.size()) {
        if (s[pos] != ' ' && s[pos] != 'T') return std::nullopt;
        ++pos;
        if (!ReadTime(s, pos, h, mi, se)) return std::nullopt;
        // A trailing zone designator is not expected in local-time columns; refuse it.
        if (pos != s.size()) return std::nullopt;
    }
    return MakeDayNumber(y, m, d, h, mi, se);
}

std::optional<double> ParseDayMonthYear(std::string_view text) {
    std::string_view s = TrimView(text);
    size_t pos = 0;
    int y = 0, m = 0, d = 0;
    if (s.size() >= 11 && std::isalpha(static_cast<unsigned char>(s[0]))) {
        // mmm-dd-yyyy
        m = MonthFromName(s.substr(0, 3));
        pos = 3;
        if (m == 0 || s[pos] != '-') return std::nullopt;
        ++pos;
        if (!ReadInt(s, pos, 2, d) || pos >= s.size() || s[pos] != '-') return std::nullopt;
        ++pos;
        if (!ReadInt(s, pos, 4, y)) return std::nullopt;
    } else {
        if (!ReadInt(s, pos, 2, d) || pos >= s.size() || s[pos] != '-') return std::nullopt;
        ++pos;
        if (pos + 3 > s.size()) return std::nullopt;
        m = MonthFromName(s.substr(pos, 3));
        pos += 3;
        if (m == 0 || pos >= s.size() || s[pos] != '-') return std::nullopt;
        ++pos;
        if (!ReadInt(s, pos, 4, y)) return std::nullopt;
    }
    if (!ValidDate(y, m, d)) return std::nullopt;
    int h = 0, mi = 0, se = 0;
    if (pos < s.size()) {
        if (s[pos] != ' ') return std::nullopt;
        ++pos;
        if (!ReadTime(s, pos, h, mi, se) || pos != s.size()) return std::nullopt;
    }
    return MakeDayNumber(y, m, d, h, mi, se);
}

namespace {

bool ReadNumber(std::string_view s, size_t& pos, int maxDigits, int& out) {
    size_t start = pos;
    int v = 0;
    while (pos < s.size() && pos - start < static_cast<size_t>(maxDigits) && s[pos] >= '0' && s[pos] <= '9')
        v = v * 10 + (s[pos++] - '0');
    if (pos == start) return false;
    out = v;
    return true;
}

std::optional<double> ParseUsDateTime(std::string_view s) {
    size_t pos = 0;
    int m, d, y;
    if (!ReadNumber(s, pos, 2, m) || pos >= s.size() || s[pos++] != '/') return std::nullopt;
    if (!ReadNumber(s, pos, 2, d) || pos >= s.size() || s[pos++] != '/') return std::nullopt;
    if (!ReadNumber(s, pos, 4, y) || !ValidDate(y, m, d)) return std::nullopt;
    int h = 0, mi = 0, se = 0;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    if (pos < s.size()) {
        if (!ReadNumber(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':') return std::nullopt;
        if (!ReadNumber(s, pos, 2, mi)) return std::nullopt;
        if (pos < s.size() && s[pos] == ':' && !ReadNumber(s, ++pos, 2, se)) return std::nullopt;
        while (pos < s.size() && s[pos] == ' ') ++pos;
        std::string rest;
        for (; pos < s.size(); ++pos) rest += static_cast<char>(std::toupper(static_cast<unsigned char>(s[pos])));
        if (rest == "AM" || rest == "PM") {
            if (h < 1 || h > 12) return std::nullopt;
            h = h % 12 + (rest == "PM" ? 12 : 0);
        } else if (!rest.empty()) {
            return std::nullopt;
        }
        if (h > 23 || mi > 59 || se > 59) return std::nullopt;
    }
    return MakeDayNumber(y, m, d, h, mi, se);
}

}  // namespace

double LocalNow() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    std::time_t t = tv.tv_sec;
    std::tm local{};
    ::localtime_r(&t, &local);
    return MakeDayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         local.tm_sec) +
           tv.tv_usec / 86400e6;
}

std::optional<double> ParseDateTimeText(std::string_view text) {
    std::string_view s = TrimView(text);
    if (auto v = ParseIsoDateTime(s)) return v;
    if (auto v = ParseDayMonthYear(s)) return v;
    return ParseUsDateTime(s);
}

}  // namespace tidemark
