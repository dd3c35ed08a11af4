#pragma once
// The database's update stamp: the time the logger or loader last wrote, kept in the
// rupdate row of datatype_site_id 0. A changed stamp means every page is fetched again.
#include <string>

#include "core/host.h"
#include "core/result.h"
#include "data/program_state.h"
#include "setup/setup_model.h"
#include "storage/db/database.h"

namespace tidemark {

inline constexpr const char* kUpdateQuery = "select * from rupdate where datatype_site_id=0;";

// Reads the stamp on a connection of its own, letting the event loop run before the
// connection opens and again before a found stamp is taken. lastUpdate changes only
// when the row exists (its third column, as a date-time); the result says whether it
// did. Faults (database locked, missing table) come back as the description; showing
// them is the caller's business. Callers keep the previous stamp to detect a change.
Result<bool> CheckUpdate(Host& host, const SetupSettings& settings, const std::string& programFolder,
                         double& lastUpdate, std::chrono::milliseconds lockWait = kPatientLockWait);
Result<bool> CheckUpdate(Host& host, ProgramState& state);
// The same on a connection the caller holds open (the loader's, at the end of a load).
// A loader that asked the connection to expect UpdateQuery(settings) at the start of
// the load is given the stamp as it was then, before any series was read: data read
// after the stamp is at least as new as it, and a change during the load is seen by the
// next check.
Result<bool> CheckUpdate(Host& host, Database& db, const SetupSettings& settings, double& lastUpdate);

// The statement that reads the stamp, as the settings name the table.
std::string UpdateQuery(const SetupSettings& settings);

}  // namespace tidemark
