#include "demo_time.h"

#include <cmath>

#include "core/daynum.h"

namespace tidemark::demo {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

void PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

// The calendar is the program's own; the demo only keeps whole minutes on top of it.
Minutes MinutesFromCivil(int year, int month, int day, int hour, int minute) {
    return static_cast<Minutes>(DateSerial(year, month, day)) * kMinutesPerDay + hour * 60 + minute;
}

CivilDate CivilFromMinutes(Minutes m) {
    CivilTime c = ToCivil(static_cast<double>(FloorDiv(m, kMinutesPerDay)));
    return CivilDate{c.year, c.month, c.day};
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
    // Fixed shape: YYYY-MM-DD HH:MM (or with a "T").
    if (text.size() != 16) return std::nullopt;
    std::optional<double> day = ParseIsoDateTime(text);
    if (!day || *day < DateSerial(1901, 1, 1) || *day >= DateSerial(9991, 1, 1)) return std::nullopt;
    return static_cast<Minutes>(std::llround(*day * kMinutesPerDay));
}

Minutes LocalNowRoundedDown() {
    return RoundDownToStep(static_cast<Minutes>(std::floor(LocalNow() * kMinutesPerDay + 1e-6)));
}

}  // namespace tidemark::demo
