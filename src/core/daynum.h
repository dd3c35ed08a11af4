#pragma once
// Day numbers: the program keeps every date-time as a double counting days from
// 1899-12-30 (day 0), with the time of day as the fraction (1 hour = 1/24).
#include <optional>
#include <string_view>

namespace tidemark {

struct CivilTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

// Day number of a calendar date; month and day may run past their ranges
// (month 13 is January of the next year, day 0 the last day of the month before).
double DateSerial(int year, int month, int day);
double TimeSerial(int hour, int minute, int second);
double MakeDayNumber(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Calendar fields of a day number, rounded to the nearest second.
CivilTime ToCivil(double day);

double DatePart(double day);  // midnight of the day
int Hour(double day);
int Minute(double day);
int Year(double day);
int Month(double day);
int DayOfMonth(double day);
int DayOfYear(double day);        // 1 = 1 January
double FirstOfMonth(double day);  // midnight of the first of the day's month

// Number of hour boundaries crossed going from a to b (negative when b < a):
// what DateDiff("h", a, b) counts.
long long HourBoundaries(double a, double b);

// Reads the date-times databases hand back: "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]",
// with a space or a "T" between date and time.
std::optional<double> ParseIsoDateTime(std::string_view text);

// Reads "dd-mmm-yyyy" and "dd-mmm-yyyy hh:mm" (English month names, any case) and
// "mmm-dd-yyyy"; returns nothing for any other text.
std::optional<double> ParseDayMonthYear(std::string_view text);

// The present local date-time as a day number.
double LocalNow();

// Date-times typed by people or written by companion programs: the two forms above,
// and "m/d/yyyy", "m/d/yyyy h:mm[:ss]" with an optional "AM"/"PM".
std::optional<double> ParseDateTimeText(std::string_view text);

}  // namespace tidemark
