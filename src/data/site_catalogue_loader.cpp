#include "data/site_catalogue_loader.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "core/vbtext.h"
#include "core/windows1252.h"
#include "data/connection_rules.h"
#include "data/database_access.h"

namespace tidemark {

namespace {

enum Column { kDsid = 0, kSiteName = 1, kDatatypeId = 2, kDatatypeName = 3, kUnitName = 4 };

Result<std::string> TextOrEmpty(const Recordset& rs, int index) {
    if (rs.IsNull(index)) return std::string();
    return rs.Text(index);
}

Result<int32_t> WholeNumber(const Recordset& rs, int index, const char* name) {
    Result<double> x = rs.Number(index);
    if (!x) return Fault{x.error()};
    std::optional<int32_t> n = CLng(x.value());
    if (!n) return Fault{std::string("Overflow: ") + name + " " + CStr(x.value()) + " of rsite is out of range"};
    return *n;
}

// The name of the extra monthly entry of a datatype, or "" when it has none.
const char* MonthlyName(int32_t datatypeId) {
    if (datatypeId == 10 || datatypeId == 11) return "Monthly Rainfall";
    if (datatypeId == 27) return "Monthly ET";
    return "";
}

Result<SiteEntry> EntryOfRow(const Recordset& rs) {
    SiteEntry e;
    Result<int32_t> dsid = WholeNumber(rs, kDsid, "datatype_site_id");
    if (!dsid) return Fault{dsid.error()};
    e.dsid = dsid.value();
    Result<std::string> site = TextOrEmpty(rs, kSiteName);
    if (!site) return Fault{site.error()};
    e.sitename = ReplaceAll(site.value(), ";", ",");
    if (!rs.IsNull(kDatatypeId)) {
        Result<int32_t> datatype = WholeNumber(rs, kDatatypeId, "datatype_id");
        if (!datatype) return Fault{datatype.error()};
        e.datatypeid = datatype.value();
    }
    Result<std::string> datatypeName = TextOrEmpty(rs, kDatatypeName);
    if (!datatypeName) return Fault{datatypeName.error()};
    e.datatypename = std::move(datatypeName.value());
    Result<std::string> unit = TextOrEmpty(rs, kUnitName);
    if (!unit) return Fault{unit.error()};
    e.unitname = std::move(unit.value());
    return e;
}

// The rows ordered by site name with letter case ignored, as users of these databases
// have always seen the list; engines that order text by its bytes put "alder Creek" after
// "Zuni". Rows of equal names keep the engine's order.
Result<std::vector<SiteEntry>> EntriesInNameOrder(Recordset& rs) {
    std::vector<SiteEntry> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        Result<SiteEntry> entry = EntryOfRow(rs);
        if (!entry) return Fault{entry.error()};
        rows.push_back(std::move(entry.value()));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const SiteEntry& a, const SiteEntry& b) { return LessIgnoringCase(a.sitename, b.sitename); });
    return rows;
}

}  // namespace

Result<CatalogueLoad> LoadSiteCatalogue(Host& host, const SetupSettings& settings, const std::string& programFolder,
                                        SiteCatalogue& catalogue, std::unique_ptr<Database>* connection) {
    host.Yield();
    const std::string query = AdaptQuery(kSiteCatalogueQuery, {"rsite"}, settings);
    Result<std::unique_ptr<Database>> db = OpenDatabase(settings, programFolder);
    if (!db) return Fault{db.error()};
    Result<Recordset> rs = db.value()->OpenRecordset(query);
    if (!rs) return Fault{rs.error()};

    CatalogueLoad load;
    load.rows = rs->RecordCount();
    Result<std::vector<SiteEntry>> rows = EntriesInNameOrder(rs.value());
    if (!rows) return Fault{rows.error()};
    SiteCatalogue loaded;
    if (load.rows > 0) loaded.Reserve(static_cast<int>(std::min<long>(3 * load.rows, SiteCatalogue::kMaxEntries)));
    for (SiteEntry& entry : rows.value()) {
        const char* monthly = MonthlyName(entry.datatypeid);
        SiteEntry monthlyEntry;
        if (*monthly) {
            monthlyEntry = entry;
            monthlyEntry.datatypename = monthly;
        }
        bool listed = loaded.Append(std::move(entry));
        if (*monthly && listed) listed = loaded.Append(std::move(monthlyEntry));
        if (!listed) ++load.rowsLeftOut;
    }
    catalogue = std::move(loaded);
    if (connection) *connection = std::move(db.value());
    return load;
}

}  // namespace tidemark
