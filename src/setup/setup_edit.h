#pragma once
// Edits of the page set from the setup frame: deleting a graph or a page, adding a
// page, and the definition of a graph typed into the frame. They change the model only;
// fetching, drawing and saving are the caller's.
#include <cstdint>
#include <optional>
#include <string>

#include "setup/setup_model.h"
#include "setup/site_catalogue.h"

namespace tidemark {

// The frame's option buttons, by their index.
enum class SetupOption {
    DeleteGraph = 0,
    ReplaceGraph = 1,
    AddToPage = 2,
    AddOnNewPage = 3,
    SaveAll = 4,
    DeletePage = 5,
};

// What the frame's boxes say of a graph to put on a page.
struct NewGraphFields {
    std::string dsid;  // empty or "-1": a web screen
    std::string parameterName;
    std::string stationName;  // a web screen's address
    bool allowNavigation = false;
    bool resize = false;  // fit the web screen's image
};

// The definition for a page slot, or the fault that stops it (the description shown).
struct NewGraph {
    std::optional<GraphDef> def;
    std::string fault;
};

// Builds the definition. A web screen takes the next browser index and gets an entry
// in the catalogue, so the frame's up-down control reaches it like the others.
NewGraph DefineNewGraph(NewGraphFields fields, PageSet& pages, SiteCatalogue& catalogue);

// A web screen put in place of another keeps what the frame did not change: its scroll
// bars (the frame has no box for them), each switch whose tick is as the old screen had
// it (with the number the line held), and its saved scroll position when the address is
// the same.
void KeepUnchangedWebScreenSettings(GraphDef& made, const GraphDef& replaced);

// The highest slot of the page that holds something, 0 when none does.
int16_t HighestUsedSlot(const PageRec& page);

// Empties the slot. A page left without graphs is dropped from the count when it is
// the last page, and the page before it becomes current.
void DeleteGraph(PageSet& pages, int16_t& currentpage, int slot);

// The first empty slot of the page, nothing when all 12 are in use.
std::optional<int> FirstEmptySlot(const PageRec& page);

// A new page "New Page" after the last, made current; its fonts and axis-title switch
// are those of `like`. False when the tables hold no more pages.
bool AddPage(PageSet& pages, int16_t& currentpage, const PageRec& like);

// Empties the page and marks it removed; the last pages removed leave the count, but
// one page always stays.
void DeletePage(PageSet& pages, int page);

}  // namespace tidemark
