#include "data/database_access.h"

#include "storage/db/connection_string.h"

namespace tidemark {

Result<std::unique_ptr<Database>> OpenDatabase(const SetupSettings& settings, const std::string& programFolder,
                                               std::chrono::milliseconds lockWait) {
    return OpenConnection(settings.connectionstring, programFolder, lockWait);
}

bool ReadsBesideAnotherConnection(const SetupSettings& settings, const std::string& programFolder) {
    Result<ConnectionTarget> target = ResolveConnectionString(settings.connectionstring, programFolder);
    return target &&
           (target->kind == ConnectionTarget::Kind::SQLite || target->kind == ConnectionTarget::Kind::PostgreSQL);
}

}  // namespace tidemark
