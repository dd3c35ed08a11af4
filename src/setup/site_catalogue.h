#pragma once
// The series the database offers (from rsite), plus one entry per web screen of the
// setup. The setup frame steps through it by entry number to fill a new graph, and the
// menus read it by entry number. It lives in the setup layer because the setup reader
// appends the web screens; the data layer fills the rsite part.
#include <cstdint>
#include <string>
#include <vector>

namespace tidemark {

struct SiteEntry {
    int32_t dsid = 0;             // 1: datatype_site_id; kWebScreenDsid for a web screen
    std::string sitename;         // 2: site_name with ";" made ","; a web screen's address
    int32_t datatypeid = 0;       // 3: datatype_id; 0 for a web screen
    std::string datatypename;     // 4: datatype_name, "Monthly Rainfall", "Monthly ET" or "Web Screen"
    std::string unitname;         // 5: unit_name; empty for a web screen
    std::string allownavigation;  // 6: web screen's back2color as text; empty for rsite rows
    std::string fitimage;         // 7: web screen's hrcolor as text; empty for rsite rows

    bool operator==(const SiteEntry&) const = default;
};

class SiteCatalogue {
public:
    // Entry numbers are 16-bit and start at 1.
    static constexpr int kMaxEntries = 32766;

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    bool Full() const { return Count() >= kMaxEntries; }
    // Entry by its number, 1 .. Count().
    const SiteEntry& Entry(int number) const { return entries_.at(static_cast<size_t>(number - 1)); }
    const std::vector<SiteEntry>& Entries() const { return entries_; }

    // Appends an entry; false (nothing added) when the catalogue is full.
    bool Append(SiteEntry entry);
    // The entry of a web screen line: address, allow-navigation and fit-image switches.
    bool AppendWebScreen(const std::string& address, int32_t back2color, int32_t hrcolor);
    void Reserve(int count);
    void Clear() { entries_.clear(); }

private:
    std::vector<SiteEntry> entries_;
};

}  // namespace tidemark
