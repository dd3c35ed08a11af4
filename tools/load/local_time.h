#pragma once
// Date-times as the loader reads and stores them. The value tables hold local wall-clock
// time; a file's time with a UTC offset or a time-zone code is an instant, turned into the
// wall-clock time of the target zone (the machine's, or the one --tz names).
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/result.h"
#include "series_tables/series_tables.h"

namespace tidemark::load {

using series_tables::Seconds;

// Seconds since 1899-12-30 00:00 of a calendar date and time, and back.
Seconds SecondsFromCivil(int year, int month, int day, int hour, int minute, int second);
bool IsRealDate(int year, int month, int day);

// "YYYY-MM-DD HH:MM:SS", the form the value tables hold.
std::string StoredText(Seconds t);
// The same into a buffer of at least 19 characters (no terminator), for bulk writes.
void WriteStoredText(Seconds t, char* out);
// Reads the stored form back (a "T" and fractional seconds accepted); nothing otherwise.
std::optional<Seconds> ParseStoredText(std::string_view text);

// A file's date-time: "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or "T" between), and
// an optional offset "Z", "+HH", "+HHMM" or "+HH:MM" (a blank before it allowed).
struct FileTime {
    Seconds wallClock = 0;      // as written
    std::optional<int> offset;  // seconds east of UTC, when written
};
// Nothing with the reason in *why when the text is not such a date-time.
std::optional<FileTime> ParseFileTime(std::string_view text, std::string* why);

// Offsets of the time-zone codes agency files carry (EST, EDT, ..., UTC).
std::optional<int> ZoneCodeOffset(std::string_view code);

// Wall-clock time of the target zone.
class ZoneClock {
public:
    // The zone of TZ / /etc/localtime when `zone` is empty, else the zone named (an IANA
    // name such as America/New_York, or UTC). A zone the system does not know is a fault.
    static Result<ZoneClock> Make(const std::string& zone);

    // The wall-clock time of the instant that was `wallClock` at `offset` east of UTC.
    Seconds LocalOf(Seconds wallClock, int offset);
    // Whether a wall-clock time exists in the zone (not in the hour skipped when summer
    // time starts).
    bool Exists(Seconds wallClock);
    // The zone's offset east of UTC at the wall-clock time (for a repeated hour, the
    // offset of its first pass), to order the instants of a file given in local time.
    int OffsetAt(Seconds wallClock);

    const std::string& Name() const { return name_; }

private:
    std::string name_;
    std::unordered_map<Seconds, int> utcOffsets_;   // by quarter hour of UTC
    std::unordered_map<Seconds, int> wallOffsets_;  // by quarter hour of wall clock; INT32_MIN: skipped
};

}  // namespace tidemark::load
