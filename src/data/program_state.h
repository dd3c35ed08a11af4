#pragma once
// The state the whole run shares: the setup, the catalogue, the frequency table, the
// fetched series and the date window. One object, owned by main and passed by
// reference; the window and commands add their own state on top of it.
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "analysis/frequency.h"
#include "data/series_store.h"
#include "data/trace_store.h"
#include "setup/setup_model.h"
#include "setup/site_catalogue.h"
#include "storage/db/connection_string.h"

namespace tidemark {

// The graphed window, the same for every graph of a load.
struct DateWindow {
    double start = 0;     // first date-time graphed
    double end = 0;       // date-time just after the window
    int16_t span = 0;     // days + endday
    int currentHour = 0;  // hour of the clock when the load began
};

// Names a graph's series are shown under, and its unit label.
struct SeriesLabels {
    std::string legend1;  // main series
    std::string legend2;  // daily series
    std::string legend3;  // watch level
    std::string unit;
};

struct ProgramState {
    std::string programFolder;  // ends with "/"

    SetupSettings settings;
    PageSet pages;
    SiteCatalogue catalogue;
    FrequencyTable frequency;
    SeriesStore store;
    TraceStore traces;  // model-run traces laid over graphs
    DateWindow window;

    // Per page (index = page number) and graph slot 0-11.
    std::vector<std::vector<SeriesLabels>> labels;
    // Per page: the value below which model and observation both count as dry.
    std::vector<double> modelErrorThreshold;

    double lastUpdate = 0;         // the database's last update stamp (0 = never read)
    bool historicalStart = false;  // "Historical Start Date" box
    std::string historyStartText;  // the date typed for it

    // How long a read waits for a writer's lock on the database: long while the first
    // load has nothing to show, brief once the window pages and every wait holds it.
    std::chrono::milliseconds lockWait = kPatientLockWait;

    int16_t currentpage = 0;
    bool loading = false;
    bool setupdirty = false;
    int autostartseconds = 0;  // non-zero: started unattended from the command line
    // Page images: 0 = saved only on request; otherwise each drawn page is saved until the
    // page numbered here comes round again (negative: the cycle has not drawn a page yet).
    int imageCycleMarker = 0;
    // The pages the running cycle has written (or passed over as left out of publishing):
    // a page drawn again, by a redraw or a reload, is not written twice.
    std::set<int> imageCycleDone;
};

// Every page of the set that is not removed has been through the running cycle: coming
// round to its first page again ends it.
inline bool ImageCycleComplete(const ProgramState& state) {
    const PageSet& pages = state.pages;
    for (int p = 1; p <= pages.pagecount && static_cast<size_t>(p) < pages.pages.size(); ++p)
        if (!pages.pages[static_cast<size_t>(p)].removed && !state.imageCycleDone.contains(p)) return false;
    return true;
}

}  // namespace tidemark
