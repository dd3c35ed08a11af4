#pragma once
// Getvalues1: fills one graph slot of one page from the database - the main series,
// its daily values and current value, and the graph's second series in slot + 12 -
// shaped by the graph's series kind.
//
// The fetch yields to the event loop once before each statement, so other commands can
// run in the middle of it; they see the slot half filled.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/result.h"
#include "data/program_state.h"
#include "storage/db/database.h"

namespace tidemark {

struct FetchOptions {
    // Round current values with the rounding function (halves to even, 2 decimals)
    // instead of the masks "#0.##" and "0.##": the loader's way.
    bool roundHalfEven = false;
    // The page's model-error threshold. When set and the graph's freqtype is 3, the
    // graph's model-error text is composed while its second series is read.
    std::optional<double> modelErrorThreshold;
    // Re-reads the database's update stamp (into the program state) after a graph that
    // has no second series. Not set: Getvalues1 on its own connection re-reads it with CheckUpdate; the fetch
    // on the caller's connection does not re-read it.
    std::function<Result<void>()> checkUpdate;
};

// The series statements a fetch of the graph will run first, in order (those that do not
// depend on rows read before them), for the connection to send ahead.
std::vector<std::string> ExpectedSeriesStatements(const ProgramState& state, int page, int slot);

// The whole fetch on an open connection; shows nothing. What the slot received before a
// fault stays, and its point count covers exactly the points stored.
Result<void> FetchSeries(ProgramState& state, Host& host, Database& db, int page, int slot,
                         const FetchOptions& options = {});

// The fetch beside another one running on a second thread, each on its own connection:
// nothing yields to the event loop, which must not run while either reads the program
// state, and `now` is the host's time read on the window's thread.
Result<void> FetchSeriesBeside(ProgramState& state, Database& db, int page, int slot, const FetchOptions& options,
                               double now);

// Getvalues1 on the caller's connection (the loader holds one for the whole load).
// A fault is shown as "Sub Getvalues1: " followed by its description.
void Getvalues1(ProgramState& state, Host& host, Database& db, int page, int slot, const FetchOptions& options = {});

// Getvalues1 on a connection of its own, opened after the slot is initialised and closed
// when the fetch ends, also after a fault.
void Getvalues1(ProgramState& state, Host& host, int page, int slot, const FetchOptions& options = {});

}  // namespace tidemark
