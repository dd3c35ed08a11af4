#pragma once
// Access files and workbooks served as databases: each file is copied into an
// in-memory SQLite database, and statements run there through the SQLite dialect step.
// A copy serves every connection to its file while the file's size and modification
// time stay as they were; when a logger has written the file since, the next
// connection makes a fresh copy.
#include <memory>
#include <string>

#include "core/result.h"
#include "storage/db/database.h"

namespace tidemark {

enum class FileDatabaseKind { Access, Workbook };

struct FileDatabaseTarget {
    FileDatabaseKind kind = FileDatabaseKind::Access;
    std::string file;       // program text, as the connection string names it
    bool headerRow = true;  // workbooks: the first row names the columns (HDR=Yes)
};

Result<std::unique_ptr<Database>> OpenFileDatabase(const FileDatabaseTarget& target);

// How many copies of files have been made in this process, for telling a copy that is
// reused from one made afresh.
long long FileCopiesMade();

}  // namespace tidemark
