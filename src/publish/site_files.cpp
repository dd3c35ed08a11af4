#include "publish/site_files.h"

#include <algorithm>

#include "core/textfile.h"
#include "publish/site_page.h"
#include "publish/values_feed.h"

namespace tidemark {

bool SiteTemplateExists(const std::string& programFolder) { return FileExists(programFolder + kSiteTemplateFileName); }

int RoundSeconds(int pageSeconds, size_t pageCount) {
    return std::max(1, pageSeconds) * static_cast<int>(std::max<size_t>(1, pageCount));
}

Result<std::vector<std::string>> WriteSiteFiles(const std::string& programFolder, const std::string& folder,
                                                const std::vector<PublishedPage>& pages, int refreshSeconds,
                                                double generated) {
    Result<std::string> templateText = ReadFileBytes(programFolder + kSiteTemplateFileName);
    if (!templateText) return Fault{templateText.error(), programFolder + kSiteTemplateFileName};
    Result<std::string> html = SitePageHtml(*templateText, pages, refreshSeconds);
    if (!html) return Fault{html.error(), programFolder + kSiteTemplateFileName};

    const std::vector<std::pair<std::string, std::string>> files = {
        {folder + kValuesJsonFileName, ValuesJson(pages, generated)},
        {folder + kValuesCsvFileName, ValuesCsv(pages)},
        {folder + kSitePageFileName, *html},
    };
    std::vector<std::string> written;
    for (const auto& [path, bytes] : files) {
        if (Result<void> w = WriteFileAtomic(path, bytes, FileDurability::Replaced); !w) return Fault{w.error(), path};
        written.push_back(path);
    }
    return written;
}

}  // namespace tidemark
