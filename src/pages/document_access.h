#pragma once
// Which local files a web screen may show. Its page is drawn on a wall display and
// published to a public web site, so whoever can name an address in the setup must not
// be able to put any file the program can read onto it: a local document is shown only
// when the file opened for it is a regular file inside the program folder, its companion
// folders or a folder the environment names (opened_document.h). Addresses on the web
// are not local documents and are shown as before.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/opened_document.h"

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
    SharedLink,      // a file of another user with further hard links, which may lie anywhere
    Unreadable,      // there, but the program may not read it
};

// The access of a document as it was opened.
DocumentAccess AccessOf(OpenedAccess opened);

// A folder entry that is not used, and why: one that opens everything, or one that
// cannot be used at all.
struct RefusedFolder {
    std::string entry;  // as the environment or the setup names it
    std::string reason;
};

struct DocumentCheck {
    DocumentAccess access = DocumentAccess::NotLocal;
    // A local document: its real path when it exists, else the path as the address names
    // it. For the program's own use: a notice never shows it (it may be a private path).
    std::filesystem::path path;

    bool Shown() const { return access == DocumentAccess::NotLocal || access == DocumentAccess::Allowed; }
};

class DocumentRule {
public:
    // programFolder ends with "/"; webFolders is the environment variable's value (empty
    // when unset), relative entries are taken from the program folder; home is where
    // "~/" leads. A folder that would open the whole disk or the home folder (the root,
    // the home folder or one above it, wherever links lead) is left out and told in
    // RefusedFolders, as is an entry that cannot be used.
    DocumentRule(const std::string& programFolder, std::string_view webFolders, const std::string& home);

    // An address as a web screen's setup names it: a plain path, "~/...", a path relative
    // to the program folder, a file: or view-source: address, or a web address (only
    // those with a scheme, or starting "www."). What it tells of a local file is a first
    // look for notices; what may be read is decided when the file is opened (Open).
    DocumentCheck CheckAddress(std::string_view address) const;
    // A path of the file system (a file: address already decoded).
    DocumentCheck CheckPath(const std::filesystem::path& path) const;
    // Opens a local document for reading, checked as opened.
    OpenedDocument Open(const std::filesystem::path& path) const;

    // The folders' real paths; those that do not exist are left out.
    const std::vector<std::filesystem::path>& Folders() const { return folders_; }
    const std::vector<RefusedFolder>& RefusedFolders() const { return refused_; }

private:
    DocumentCheck CheckFileAddress(std::string_view rest) const;
    // The folder an entry names, or why it is not used.
    enum class FolderCheck { RefuseEverything, AsItIs };
    void AddFolder(const std::string& entry, const std::filesystem::path& folder,
                   FolderCheck check = FolderCheck::RefuseEverything);

    std::filesystem::path programFolder_;
    std::string home_;
    std::vector<std::filesystem::path> folders_;
    std::vector<RefusedFolder> refused_;
};

// Why a document is not shown, as a phrase: "it lies outside the folders web screens may
// show"; empty for a document that is shown.
std::string RefusalReason(DocumentAccess access);

// The line that tells a refusal: "Web screen ADDRESS not shown: REASON".
std::string RefusalMessage(std::string_view address, const DocumentCheck& check);
// The same line for any reason a document is not shown.
std::string NotShownMessage(std::string_view address, std::string_view reason);

// The page a web screen shows instead of a document it cannot show: the address as the
// setup names it and the reason, escaped. Never where a link led: that may be a private
// path, and the page is published.
std::string NotShownPageHtml(std::string_view address, std::string_view reason);

// The page a refused web screen shows instead.
std::string RefusalPageHtml(std::string_view address, const DocumentCheck& check);

// "Web folder ENTRY not used: REASON".
std::string RefusedFolderMessage(const RefusedFolder& refused);

}  // namespace tidemark
