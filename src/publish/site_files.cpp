#include "publish/site_files.h"

#include <algorithm>

#include "core/textfile.h"
#include "publish/site_page.h"
#include "publish/site_record.h"
#include "publish/values_feed.h"

namespace tidemark {

bool SiteTemplateExists(const std::string& programFolder) { return FileExists(programFolder + kSiteTemplateFileName); }

std::vector<std::string> PublishedNamePrefixes() { return {"Tidemark_", kSitePageFileName}; }

bool SiteAsksForGraphPictures(const std::string& programFolder) {
    if (!SiteTemplateExists(programFolder)) return false;
    Result<std::string> text = ReadFileBytes(programFolder + kSiteTemplateFileName);
    return text && TemplateAsksForGraphPictures(*text);
}

int RemoveStaleSiteTemps(const std::string& folder, std::time_t roundStart) {
    int removed = 0;
    std::vector<std::string> prefixes = PublishedNamePrefixes();
    prefixes.push_back(kSiteRecordFileName);
    for (const std::string& prefix : prefixes) removed += RemoveStaleTemps(folder, prefix, roundStart);
    return removed;
}

int RoundSeconds(int pageSeconds, size_t pageCount) {
    return std::max(1, pageSeconds) * static_cast<int>(std::max<size_t>(1, pageCount));
}

Result<SiteFilesWritten> WriteSiteFiles(const std::string& programFolder, const std::string& folder,
                                        const std::vector<PublishedPage>& round, int refreshSeconds, double generated) {
    SiteFilesWritten result;
    Result<std::vector<PublishedPage>> held = ReadSiteRecord(folder);
    if (!held) result.warning = held.error();
    const std::vector<PublishedPage> noRecord;
    const std::vector<PublishedPage>& before = held ? *held : noRecord;
    std::vector<PublishedPage> pages = PagesTheSiteHolds(round, before);
    if (pages.empty()) return result;

    Result<std::string> templateText = ReadFileBytes(programFolder + kSiteTemplateFileName);
    if (!templateText) return Fault{templateText.error(), programFolder + kSiteTemplateFileName};
    Result<std::string> html = SitePageHtml(*templateText, pages, refreshSeconds);
    if (!html) return Fault{html.error(), programFolder + kSiteTemplateFileName};
    // The images are out: the record tells what the site holds now, whether or not the
    // text describing them reaches it.
    if (Result<void> kept = WriteSiteRecord(folder, UpdatedRecord(pages, before)); !kept)
        return Fault{kept.error(), folder + kSiteRecordFileName};

    const std::vector<std::pair<std::string, std::string>> files = {
        {folder + kValuesJsonFileName, ValuesJson(pages, generated)},
        {folder + kValuesCsvFileName, ValuesCsv(pages)},
        {folder + kSitePageFileName, *html},
    };
    for (const auto& [path, bytes] : files) {
        if (Result<void> w = WriteFileAtomic(path, bytes, FileDurability::Replaced); !w) return Fault{w.error(), path};
        result.paths.push_back(path);
    }
    return result;
}

}  // namespace tidemark
