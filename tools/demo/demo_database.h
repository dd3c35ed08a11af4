#pragma once
// Writes the demo database: the schema of db/schema.sql, every table filled in one
// transaction, built under a temporary name and renamed into place when complete.
#include <string>

#include "demo_data.h"

namespace tidemark::demo {

struct DatabaseCounts {
    long long unitRows = 0, hourRows = 0, dayRows = 0, extremeRows = 0, modelRows = 0;
};

// Returns false with a message in *error; the target file is then left as it was.
bool WriteDemoDatabase(const DemoData& data, const std::string& path, DatabaseCounts* counts, std::string* error);

}  // namespace tidemark::demo
