#pragma once
// CommandSave of the setup frame: carries out the ticked option on the current page -
// delete, replace or add a graph, add or delete a page, or save everything - fetches
// what was added and draws the page again.
#include <optional>
#include <string>

#include "core/host.h"
#include "data/program_state.h"
#include "setup/setup_edit.h"
#include "setup/setup_writer.h"

namespace tidemark {

// The frame as the user left it.
struct SetupFrameState {
    std::optional<SetupOption> option;  // nothing ticked
    std::string pageTitle;
    NewGraphFields graph;
    bool plotUnitValues = false;
};

// What the command needs of the window.
class SetupCommandView {
public:
    virtual ~SetupCommandView() = default;
    // "Saving setup..." over the page while the file is written.
    virtual void ShowSaving(bool shown) = 0;
    // Writes the setup with the window's present position, state and paging settings.
    virtual Result<void> SaveSetup() = 0;
    // Every page fetched again (the plotted kind of values changed).
    virtual void ReloadPages() = 0;
    // A web screen put on a page: its browser is prepared.
    virtual void PrepareWebScreen(int page, int slot) = 0;
    virtual void NextPage() = 0;
    virtual void RedrawPage() = 0;
};

enum class SetupCommandOutcome {
    NoOption,  // nothing ticked: the frame stays for a choice
    Done,      // the option was carried out
    Refused,   // nothing was done (a full page, no room for pages); a message tells why where one exists
    Failed,    // a fault part-way; what was done stays done, the message has been shown
};

// Runs the ticked option on `slot` of the current page. `fromClose`: the window's close
// request saves, and nothing is drawn afterwards.
SetupCommandOutcome CommandSave(ProgramState& state, Host& host, SetupCommandView& view, const SetupFrameState& frame,
                                int slot, bool fromClose = false);

}  // namespace tidemark
