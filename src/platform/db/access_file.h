#pragma once
// Access files (.mdb of Jet 3 and Jet 4, .accdb of ACE) read through libmdb, opened
// read-only, their user tables copied into an in-memory SQLite database.
#include <string>

#include "platform/db/db_result.h"
#include "platform/db/sqlite_copy.h"

namespace tidemark {

// Copies every user table of the file. Date-times become schema date text, numbers
// INTEGER or REAL, texts UTF-8, binary and OLE fields BLOBs; NULLs stay NULL.
DbResult<bool> CopyAccessFile(const std::string& path, SqliteCopy& copy);

}  // namespace tidemark
