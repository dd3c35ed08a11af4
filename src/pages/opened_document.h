#pragma once
// A local document opened for a web screen, checked as opened. A check of a path followed
// by an open of the same path leaves a moment in which a link can be turned elsewhere, so
// the file is opened first and the descriptor is what is checked (its real path, its kind,
// its links) and then read: nothing can be swapped between the check and the read.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/result.h"

namespace tidemark {

// What became of opening a local document.
enum class OpenedAccess {
    Opened,          // a regular file inside an allowed folder, open for reading
    NotFound,        // nothing there (or a link that leads nowhere)
    Outside,         // it lies outside every allowed folder
    NotRegularFile,  // a folder, a device, a pipe ...
    SharedLink,      // a file of another user with further hard links, which may lie anywhere
    Unreadable,      // there, but the program may not read it
};

class OpenedDocument {
public:
    // Opens `path` for reading (without waiting on a pipe or taking a terminal) and checks
    // the opened file against `folders`, real paths of the folders that may be shown.
    static OpenedDocument Open(const std::filesystem::path& path, const std::vector<std::filesystem::path>& folders);

    OpenedDocument(OpenedDocument&& other) noexcept;
    OpenedDocument& operator=(OpenedDocument&& other) noexcept;
    OpenedDocument(const OpenedDocument&) = delete;
    OpenedDocument& operator=(const OpenedDocument&) = delete;
    ~OpenedDocument();

    OpenedAccess Access() const { return access_; }
    bool IsOpen() const { return access_ == OpenedAccess::Opened; }
    // The opened file's real path, when it was opened.
    const std::filesystem::path& RealPath() const { return realPath_; }
    std::uint64_t Size() const { return size_; }
    // A name that opens this very file again whatever happens to its path since, for a
    // library that takes only names; valid while this object lives.
    std::string DescriptorPath() const;
    // The whole file from its start; a fault when it is larger than `limit` bytes or
    // cannot be read.
    Result<std::string> Read(std::uint64_t limit) const;
    // At most the first `count` bytes (fewer when the file is shorter or cannot be read).
    std::string Head(size_t count) const;

private:
    OpenedDocument() = default;
    void Close();

    int descriptor_ = -1;
    OpenedAccess access_ = OpenedAccess::NotFound;
    std::filesystem::path realPath_;
    std::uint64_t size_ = 0;
};

// Whether real path `real` lies inside one of `folders` (real paths too).
bool InsideFolders(const std::filesystem::path& real, const std::vector<std::filesystem::path>& folders);

}  // namespace tidemark
