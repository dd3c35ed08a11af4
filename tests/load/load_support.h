#pragma once
// Shared by the loader's tests: times in the zone every test loads into, and file
// contents read the way the program reads them.
#include <gtest/gtest.h>

#include <string>

#include "load/local_time.h"
#include "load/series_file.h"

namespace tidemark::load::testing {

// Every test stores New York wall-clock time, whatever the machine's zone is, so the
// summer-time changes fall where the tests expect them.
inline constexpr const char* kZone = "America/New_York";

inline ZoneClock NewYork() {
    Result<ZoneClock> clock = ZoneClock::Make(kZone);
    EXPECT_TRUE(clock.ok()) << clock.error();
    return clock.value();
}

inline Seconds At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return SecondsFromCivil(y, mo, d, h, mi, s);
}

}  // namespace tidemark::load::testing
