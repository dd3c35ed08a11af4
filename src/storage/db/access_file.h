#pragma once
// Access files (.mdb of Jet 3 and Jet 4, .accdb of ACE) read through libmdb, opened
// read-only, their user tables copied into an in-memory SQLite database.
#include <string>
#include <vector>

#include "core/result.h"
#include "storage/db/sqlite_copy.h"

namespace tidemark {

// Copies the user tables of the file: all of them, or those named in `only` (letter
// case ignored) that exist. Date-times become schema date text, numbers INTEGER or
// REAL, texts UTF-8, binary and OLE fields BLOBs; NULLs stay NULL.
Result<bool> CopyAccessFile(const std::string& path, SqliteCopy& copy, const std::vector<std::string>& only = {});

}  // namespace tidemark
