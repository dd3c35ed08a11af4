#pragma once
// Opening the program's database from its settings. Every operation that reads the
// database opens its own connection through here and lets the returned object close it
// (also when the operation fails half-way).
#include <memory>
#include <string>

#include "setup/setup_model.h"
#include "storage/db/database.h"

namespace tidemark {

// A read-only connection to the database of settings.connectionstring (completed by
// the connection rules). programFolder ends with "/".
// lockWait: how long a read waits for another process's lock on the file.
Result<std::unique_ptr<Database>> OpenDatabase(const SetupSettings& settings, const std::string& programFolder,
                                               std::chrono::milliseconds lockWait = kPatientLockWait);

// True when the settings name a database whose connections read beside one another (a
// SQLite file or a PostgreSQL server), so that a second connection is worth opening
// before the first is open.
bool ReadsBesideAnotherConnection(const SetupSettings& settings, const std::string& programFolder);

}  // namespace tidemark
