#include "core/local_time_fields.h"

namespace tidemark {

std::tm LocalTmOf(const CivilTime& c) {
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    tm.tm_isdst = -1;
    return tm;
}

}  // namespace tidemark
