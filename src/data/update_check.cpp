#include "data/update_check.h"

#include <memory>

#include "data/connection_rules.h"
#include "data/database_access.h"

namespace tidemark {

Result<bool> CheckUpdate(Host& host, const SetupSettings& settings, const std::string& programFolder,
                         double& lastUpdate, std::chrono::milliseconds lockWait) {
    host.Yield();
    Result<std::unique_ptr<Database>> db = OpenDatabase(settings, programFolder, lockWait);
    if (!db) return Fault{db.error()};
    return CheckUpdate(host, *db.value(), settings, lastUpdate);
}

std::string UpdateQuery(const SetupSettings& settings) { return AdaptQuery(kUpdateQuery, {"rupdate"}, settings); }

Result<bool> CheckUpdate(Host& host, Database& db, const SetupSettings& settings, double& lastUpdate) {
    Result<Recordset> rs = db.OpenRecordset(UpdateQuery(settings));
    if (!rs) return Fault{rs.error()};
    bool found = rs->RecordCount() > 0;
    if (found) {
        host.Yield();
        // The column is taken by position; the names of rupdate's columns are not relied on.
        Result<double> stamp = rs->DayNumber(2);
        if (!stamp) return Fault{stamp.error()};
        lastUpdate = stamp.value();
    }
    return found;
}

Result<bool> CheckUpdate(Host& host, ProgramState& state) {
    return CheckUpdate(host, state.settings, state.programFolder, state.lastUpdate, state.lockWait);
}

}  // namespace tidemark
