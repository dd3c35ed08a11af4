#include "data/database_access.h"

namespace tidemark {

Result<std::unique_ptr<Database>> OpenDatabase(const SetupSettings& settings, const std::string& programFolder,
                                               std::chrono::milliseconds lockWait) {
    return OpenConnection(settings.connectionstring, programFolder, lockWait);
}

}  // namespace tidemark
