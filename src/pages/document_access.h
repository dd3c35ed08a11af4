#pragma once
// Which local files a web screen may show. Its page is drawn on a wall display and
// published to a public web site, so whoever can name an address in the setup must not
// be able to put any file the program can read onto it: a local document is shown only
// when its real path (links and ".." resolved) is a regular file inside the program
// folder, its companion folders or a folder the environment names. Addresses on the web
// are not local documents and are shown as before.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// The environment variable naming further folders (colon-separated) whose files web
// screens may show.
inline constexpr const char* kWebFoldersVariable = "TIDEMARK_WEB_FOLDERS";

enum class DocumentAccess {
    NotLocal,        // a web address (or one the browser guesses to be): not a file
    Allowed,         // a regular file inside an allowed folder
    Outside,         // a file outside every allowed folder
    NotRegularFile,  // a folder, a device, a pipe ... inside an allowed folder
    NotFound,        // nothing there (or a link that leads nowhere)
};

struct DocumentCheck {
    DocumentAccess access = DocumentAccess::NotLocal;
    // A local document: its real path when it exists, else the path as the address names it.
    std::filesystem::path path;

    bool Shown() const { return access == DocumentAccess::NotLocal || access == DocumentAccess::Allowed; }
};

class DocumentRule {
public:
    // programFolder ends with "/"; webFolders is the environment variable's value (empty
    // when unset), relative entries are taken from the program folder; home is where
    // "~/" leads.
    DocumentRule(const std::string& programFolder, std::string_view webFolders, const std::string& home);

    // An address as a web screen's setup names it: a plain path, "~/...", a path relative
    // to the program folder, a file: or view-source: address, or a web address.
    DocumentCheck CheckAddress(std::string_view address) const;
    // A path of the file system (a file: address already decoded).
    DocumentCheck CheckPath(const std::filesystem::path& path) const;

    // The folders' real paths; those that do not exist are left out.
    const std::vector<std::filesystem::path>& Folders() const { return folders_; }

private:
    DocumentCheck CheckFileAddress(std::string_view rest) const;
    bool Inside(const std::filesystem::path& real) const;

    std::filesystem::path programFolder_;
    std::string home_;
    std::vector<std::filesystem::path> folders_;
};

// Why a document is not shown, as a phrase: "it lies outside the folders web screens may
// show"; empty for a document that is shown.
std::string RefusalReason(DocumentAccess access);

// The line that tells a refusal: "Web screen ADDRESS not shown: REASON".
std::string RefusalMessage(std::string_view address, const DocumentCheck& check);
// The same line for any reason a document is not shown.
std::string NotShownMessage(std::string_view address, std::string_view reason);

// The page a web screen shows instead of a document it cannot show: the address, the
// real path when it differs (empty: none) and the reason, all escaped.
std::string NotShownPageHtml(std::string_view address, std::string_view reason, std::string_view realPath = {});

// The page a refused web screen shows instead: the address, the real path when it
// differs, and the reason, all escaped.
std::string RefusalPageHtml(std::string_view address, const DocumentCheck& check);

}  // namespace tidemark
