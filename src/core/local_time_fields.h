#pragma once
// A day number's calendar fields as the C library's local time takes them.
#include <ctime>

#include "core/daynum.h"

namespace tidemark {

// For mktime: summer time is left for the zone's rules to decide.
std::tm LocalTmOf(const CivilTime& c);

}  // namespace tidemark
