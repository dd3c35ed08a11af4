#pragma once
// USGS RDB files (tab-delimited) of instantaneous and daily values: a "#" comment block,
// one line of column names ("agency_cd site_no datetime tz_cd 69928_00060 69928_00060_cd
// ..."), one line of column formats ("5s 15s 20d 6s 14n 10s ..."), then the rows. A file
// may hold several such blocks (one a site). The comment block's series descriptions
// ("#  69928  00060  Discharge, cubic feet per second") give each column's parameter and
// unit, its site list ("#  USGS 01646500 POTOMAC RIVER ...") the site's name.
//
// Instantaneous values carry their zone in tz_cd (EST, EDT, ...) and go to the unit
// values; daily values (a statistic code after the parameter) go to rday (mean, sum),
// rdaymax (maximum) or rdaymin (minimum) at midnight. Qualification codes are read past:
// the tables have no place for them. Empty fields and the agency's codes for a value
// that is not there (Ice, Eqp, ***, Bkw, Dis, Ssn, Mnt, Fld, Pr, Rat, ZFL, Dry, Tst)
// are missing values.
#include <string>
#include <string_view>

#include "core/result.h"
#include "local_time.h"
#include "series_file.h"

namespace tidemark::load {

// Whether text looks like an RDB file: comment lines, then a header with agency_cd.
bool LooksLikeRdb(std::string_view text);

Result<FileContents> ReadRdb(std::string_view text, const std::string& path, ZoneClock& clock);

}  // namespace tidemark::load
