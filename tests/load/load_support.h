#pragma once
// Shared by the loader's tests: times in the zone every test loads into, and file
// contents read the way the program reads them.
#include <gtest/gtest.h>
#include <sqlite3.h>

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

// The first column of the last row a statement gives on an SQLite file, as SQLite
// writes it as text; "(none)" without rows.
inline std::string Scalar(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string out = "(none)";
    sqlite3_exec(
        db, sql.c_str(),
        [](void* into, int, char** values, char**) {
            *static_cast<std::string*>(into) = values[0] ? values[0] : "NULL";
            return 0;
        },
        &out, nullptr);
    sqlite3_close(db);
    return out;
}

// The top of an agency file of instantaneous flow and stage: its comment block, column
// names and column formats.
inline constexpr const char* kRdbHead =
    "# U.S. Geological Survey\n"
    "#  USGS 01646500 POTOMAC RIVER NEAR WASH, DC\n"
    "#            TS   parameter     Description\n"
    "#         69928       00060     Discharge, cubic feet per second\n"
    "#         69929       00065     Gage height, feet\n"
    "#\n"
    "agency_cd\tsite_no\tdatetime\ttz_cd\t69928_00060\t69928_00060_cd\t69929_00065\t69929_00065_cd\n"
    "5s\t15s\t20d\t6s\t14n\t10s\t14n\t10s\n";

}  // namespace tidemark::load::testing
