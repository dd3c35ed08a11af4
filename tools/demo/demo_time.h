#pragma once
// The demo keeps its clock in whole minutes since 1899-12-30 00:00 (the program's day
// zero), so every 5-minute step is exact and date texts never drift.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tidemark::demo {

using Minutes = int64_t;

inline constexpr int kStepMinutes = 5;
inline constexpr int kStepsPerHour = 60 / kStepMinutes;
inline constexpr int kStepsPerDay = 24 * kStepsPerHour;
inline constexpr Minutes kMinutesPerDay = 1440;

struct CivilDate {
    int year = 1899, month = 12, day = 30;
};

Minutes MinutesFromCivil(int year, int month, int day, int hour = 0, int minute = 0);
CivilDate CivilFromMinutes(Minutes m);
int DayOfYear(Minutes m);  // 1 = 1 January
Minutes MidnightOf(Minutes m);
int HourOf(Minutes m);
int MinuteOfHour(Minutes m);

// "YYYY-MM-DD HH:MM:SS", the form every date-time is stored in.
std::string DateTimeText(Minutes m);
// "YYYY-MM-DD HH:MM", for reports written for people.
std::string ShortDateTimeText(Minutes m);
// "Mon DD, YYYY" with English month names.
std::string LongDateText(Minutes m);

// Reads "YYYY-MM-DD HH:MM" (a "T" between date and time is accepted). Nothing for
// text that is not a real calendar date and time of day.
std::optional<Minutes> ParseNowText(std::string_view text);

// The machine's local time now, rounded down to the 5-minute step.
Minutes LocalNowRoundedDown();

inline Minutes RoundDownToStep(Minutes m) {
    Minutes r = m % kStepMinutes;
    if (r < 0) r += kStepMinutes;
    return m - r;
}

}  // namespace tidemark::demo
