#pragma once
// Fills the site catalogue from the rsite table, on a connection of its own that is
// closed again on every path.
#include <memory>
#include <string>

#include "core/host.h"
#include "core/result.h"
#include "setup/setup_model.h"
#include "setup/site_catalogue.h"
#include "storage/db/database.h"

namespace tidemark {

inline constexpr const char* kSiteCatalogueQuery =
    "select datatype_site_id, site_name, datatype_id, datatype_name, unit_name, station_id from rsite "
    "order by site_name;";

struct CatalogueLoad {
    long rows = 0;         // rows rsite returned
    long rowsLeftOut = 0;  // rows (or their monthly entries) beyond the catalogue's last entry number
};

// Lets the event loop run once, then replaces the catalogue's entries by rsite's, in
// site-name order: one entry per row, followed for datatypes 10 and 11 by a "Monthly
// Rainfall" entry and for 27 by a "Monthly ET" entry of the same row. ";" in site names
// becomes "," (the names are copied into the ";"-separated setup file). Empty text
// fields read as empty text. On failure the catalogue is left as it was and the
// description comes back. `connection`, when given, receives the connection the
// catalogue was read on, for the caller to go on with.
Result<CatalogueLoad> LoadSiteCatalogue(Host& host, const SetupSettings& settings, const std::string& programFolder,
                                        SiteCatalogue& catalogue, std::unique_ptr<Database>* connection = nullptr);

}  // namespace tidemark
