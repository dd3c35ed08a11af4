#include "demo_time.h"

#include <ctime>

namespace tidemark::demo {
namespace {

// Days between 1970-01-01 and 1899-12-30.
constexpr int64_t kEpochOffsetDays = 25569;

// Civil-date arithmetic on the proleptic Gregorian calendar (days since 1970-01-01).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilDate CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    return CivilDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

Minutes MinutesFromCivil(int year, int month, int day, int hour, int minute) {
    int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochOffsetDays;
    return days * kMinutesPerDay + hour * 60 + minute;
}

CivilDate CivilFromMinutes(Minutes m) {
    return CivilFromDays(FloorDiv(m, kMinutesPerDay) - kEpochOffsetDays);
}

Minutes MidnightOf(Minutes m) { return FloorDiv(m, kMinutesPerDay) * kMinutesPerDay; }

int HourOf(Minutes m) { return static_cast<int>((m - MidnightOf(m)) / 60); }

int MinuteOfHour(Minutes m) { return static_cast<int>((m - MidnightOf(m)) % 60); }

int DayOfYear(Minutes m) {
    CivilDate c = CivilFromMinutes(m);
    return static_cast<int>((MidnightOf(m) - MinutesFromCivil(c.year, 1, 1)) / kMinutesPerDay) + 1;
}

std::string DateTimeText(Minutes m) {
    CivilDate c = CivilFromMinutes(m);
    int minuteOfDay = static_cast<int>(m - MidnightOf(m));
    char buf[19];
    PutDigits(buf, c.year, 4);
    buf[4] = '-';
    PutDigits(buf + 5, c.month, 2);
    buf[7] = '-';
    PutDigits(buf + 8, c.day, 2);
    buf[10] = ' ';
    PutDigits(buf + 11, minuteOfDay / 60, 2);
    buf[13] = ':';
    PutDigits(buf + 14, minuteOfDay % 60, 2);
    buf[16] = ':';
    buf[17] = '0';
    buf[18] = '0';
    return std::string(buf, sizeof buf);
}

std::string ShortDateTimeText(Minutes m) { return DateTimeText(m).substr(0, 16); }

std::string LongDateText(Minutes m) {
    CivilDate c = CivilFromMinutes(m);
    return std::string(kMonthNames[c.month - 1]) + " " + std::to_string(c.day) + ", " + std::to_string(c.year);
}

std::optional<Minutes> ParseNowText(std::string_view text) {
    // Fixed shape: YYYY-MM-DD HH:MM
    if (text.size() != 16) return std::nullopt;
    auto digits = [&](size_t pos, size_t count) -> std::optional<int> {
        int v = 0;
        for (size_t i = pos; i < pos + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    if (text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') || text[13] != ':')
        return std::nullopt;
    auto y = digits(0, 4), mo = digits(5, 2), d = digits(8, 2), h = digits(11, 2), mi = digits(14, 2);
    if (!y || !mo || !d || !h || !mi) return std::nullopt;
    if (*y < 1901 || *y > 9990 || *mo < 1 || *mo > 12 || *d < 1 || *d > DaysInMonth(*y, *mo) || *h > 23 || *mi > 59)
        return std::nullopt;
    return MinutesFromCivil(*y, *mo, *d, *h, *mi);
}

Minutes LocalNowRoundedDown() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    Minutes m = MinutesFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return RoundDownToStep(m);
}

}  // namespace tidemark::demo
