#pragma once
// Where page images go: the publishing settings remembered in Tidemark_autoweb.txt and
// the choice made when the publishing settings are confirmed (the image base path, one
// image per graph or per page, FTP or a local folder).
#include <string>

#include "core/result.h"
#include "publish/image_names.h"

namespace tidemark {

inline constexpr const char* kPublishSettingsFileName = "Tidemark_autoweb.txt";

// The four lines of Tidemark_autoweb.txt. The password is never stored.
struct PublishSettingsFile {
    std::string address;  // web site, or a local folder
    std::string folder;   // folder on the web site
    std::string user;
    bool saveEachGraph = false;
    // Why a file that is there was not read (it cannot be opened, or one of its four
    // lines is too long), naming the file and the line; every field is then empty, as
    // for a missing file. The caller tells it.
    std::string fault{};
};

// Reads the file in the program folder; a missing file leaves every field empty. Lines
// past the end of a short file stay empty too.
PublishSettingsFile ReadPublishSettings(const std::string& programFolder);

// Writes the four lines (CR LF), replacing the file whole or leaving it as it was. The
// password has no place in the file.
Result<void> WritePublishSettings(const std::string& programFolder, const PublishSettingsFile& settings);

// What the publishing settings dialog holds when it is confirmed.
struct PublishChoice {
    std::string address;
    std::string folder;
    std::string user;
    std::string password;
    bool saveEachGraph = false;
    bool ftp = false;  // "FTP image to web site"
};

// The publishing state the image writer works from.
struct PublishState {
    std::string imageBasePath = kImageBaseFileName;
    bool saveEachGraph = false;
    bool ftp = false;
    std::string ftpAddress, ftpFolder, ftpUser, ftpPassword;
    // An unattended start whose settings file could not be read does not know where its
    // images go: none of them reaches its place, and the round says so.
    bool settingsUnreadable = false;
};

// True when the address names a folder on this machine rather than a web site: a
// drive path ("C:\...") or an absolute path ("/..." or "~/...").
bool IsLocalFolderAddress(const std::string& address);

enum class ConfirmOutcome {
    Accepted,
    // FTP is ticked without a password: "Enter a password for FTP" is to be shown and
    // nothing has changed.
    NeedsPassword,
};

// The dialog's OK: the image-cycle marker becomes -1 (-2 in command-line mode), so the
// next page drawn starts a round of page images; the image base path becomes
// Tidemark_window.png in the local folder the address names, else in the program folder;
// FTP is on only when ticked with a password.
ConfirmOutcome ConfirmPublishing(const PublishChoice& choice, const std::string& programFolder, bool commandLineMode,
                                 PublishState& state, int& imageCycleMarker);

}  // namespace tidemark
