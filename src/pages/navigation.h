#pragma once
// Paging: which page comes next or before the current one, skipping removed pages and
// wrapping at both ends, and whether turning to it ends an unattended run.
#include "data/program_state.h"
#include "setup/setup_model.h"

namespace tidemark {

// The next page after `current` that is not removed; after the last page paging goes
// on from page 1. When every page is removed there is nowhere to go and `current`
// comes back unchanged (1 when nothing was shown yet).
int NextPageNumber(const PageSet& pages, int current);

// The page before `current` that is not removed; before page 1 paging goes on from the
// last page. The same rule as NextPageNumber when every page is removed.
int PreviousPageNumber(const PageSet& pages, int current);

struct PageTurn {
    int page = 1;
    // A run started with a number on the command line ends when paging comes back to
    // the page its image cycle began with, so every page has been written once.
    bool endsRun = false;
};

// What nextPage does to the page number of the state (which it does not change).
PageTurn NextPageTurn(const ProgramState& state);

}  // namespace tidemark
