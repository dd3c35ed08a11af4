#include "publish/publish_settings.h"

#include <cstdlib>

#include "core/text_limits.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "publish/image_names.h"

namespace tidemark {
namespace {

// Address, folder, user and the tick; anything below them is not the program's.
constexpr size_t kPublishSettingsLines = 4;

std::string ExpandHome(const std::string& path) {
    if (!StartsWith(path, "~/")) return path;
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + path.substr(1) : path;
}

// A drive path ("C:\...") keeps its own separator.
std::string WithSeparator(std::string folder) {
    char separator = Contains(folder, ":\\") ? '\\' : '/';
    if (folder.empty() || folder.back() != separator) folder += separator;
    return folder;
}

}  // namespace

PublishSettingsFile ReadPublishSettings(const std::string& programFolder) {
    PublishSettingsFile file;
    const std::string path = programFolder + kPublishSettingsFileName;
    if (!FileExists(path)) return file;
    LineRead read = ReadLinesLimited(path, kPublishSettingsLines);
    if (read.status != LineReadStatus::Read) {
        file.fault = read.fault;
        return file;
    }
    const std::vector<std::string>& lines = read.lines;
    auto line = [&](size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    file.address = line(0);
    file.folder = line(1);
    file.user = line(2);
    // Line 4 is the tick written as a number (" 1  Separately on/off").
    file.saveEachGraph = lines.size() > 3 && Val(lines[3]) != 0;
    return file;
}

Result<void> WritePublishSettings(const std::string& programFolder, const PublishSettingsFile& settings) {
    // Line breaks inside a box would shift every later line when the file is read back.
    auto oneLine = [](const std::string& text) { return ReplaceAll(ReplaceAll(text, "\r", " "), "\n", " "); };
    std::string tick = std::string(" ") + (settings.saveEachGraph ? "1" : "0") + "  Separately on/off";
    std::string text =
        JoinLinesCrLf({oneLine(settings.address), oneLine(settings.folder), oneLine(settings.user), tick});
    return WriteFileAtomic(programFolder + kPublishSettingsFileName, text);
}

bool IsLocalFolderAddress(const std::string& address) {
    std::string a = Trim(address);
    return Contains(a, ":\\") || StartsWith(a, "/") || StartsWith(a, "~/");
}

ConfirmOutcome ConfirmPublishing(const PublishChoice& choice, const std::string& programFolder, bool commandLineMode,
                                 PublishState& state, int& imageCycleMarker) {
    if (choice.ftp && choice.password.empty()) return ConfirmOutcome::NeedsPassword;

    imageCycleMarker = commandLineMode ? -2 : -1;
    state.saveEachGraph = choice.saveEachGraph;
    std::string address = Trim(choice.address);
    if (!choice.ftp && IsLocalFolderAddress(address)) {
        state.imageBasePath = WithSeparator(ExpandHome(address)) + kImageBaseFileName;
    } else {
        // A bare file name would land in whatever folder the program was started from;
        // the program folder is where a user of the run looks for its files.
        state.imageBasePath = programFolder + kImageBaseFileName;
    }
    state.ftp = choice.ftp;
    state.ftpAddress = choice.ftp ? address : std::string();
    state.ftpFolder = choice.ftp ? choice.folder : std::string();
    state.ftpUser = choice.ftp ? choice.user : std::string();
    state.ftpPassword = choice.ftp ? choice.password : std::string();
    return ConfirmOutcome::Accepted;
}

}  // namespace tidemark
