#pragma once
// CSV files with a header line, in either of two forms:
//   long:  site,date_time,value[,parameter][,unit]  (any column order; the header names them)
//   wide:  date_time,<series>,<series>,...          (one column a series)
// Fields are separated by commas, semicolons or tabs (whichever the header uses most);
// a field may be quoted ("..." with "" for a quote). A series is a datatype_site_id, or
// a site name, in the wide form optionally followed by "|parameter|unit".
#include <string>
#include <string_view>

#include "core/result.h"
#include "local_time.h"
#include "series_file.h"

namespace tidemark::load {

Result<FileContents> ReadCsv(std::string_view text, const std::string& path, ZoneClock& clock,
                             const ReadDefaults& defaults);

}  // namespace tidemark::load
