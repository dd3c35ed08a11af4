#include "pages/opened_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>

namespace tidemark {
namespace fs = std::filesystem;
namespace {

std::string DescriptorLink(int descriptor) { return "/proc/self/fd/" + std::to_string(descriptor); }

// The path the kernel holds for an open descriptor: the file itself, not the name it was
// opened by.
std::optional<fs::path> RealPathOf(int descriptor) {
    std::error_code ec;
    fs::path real = fs::read_symlink(DescriptorLink(descriptor), ec);
    if (ec || real.empty() || !real.is_absolute()) return std::nullopt;
    return real;
}

}  // namespace

bool InsideFolders(const fs::path& real, const std::vector<fs::path>& folders) {
    return std::any_of(folders.begin(), folders.end(), [&](const fs::path& folder) {
        return std::mismatch(folder.begin(), folder.end(), real.begin(), real.end()).first == folder.end();
    });
}

OpenedDocument OpenedDocument::Open(const fs::path& path, const std::vector<fs::path>& folders) {
    OpenedDocument document;
    // O_NONBLOCK: opening a pipe must not wait for a writer; O_NOCTTY: a terminal opened
    // here never becomes the program's.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) {
        document.access_ = errno == EACCES || errno == EPERM ? OpenedAccess::Unreadable : OpenedAccess::NotFound;
        return document;
    }
    document.descriptor_ = descriptor;
    struct stat status {};
    std::optional<fs::path> real = RealPathOf(descriptor);
    if (!real || ::fstat(descriptor, &status) != 0) {
        document.access_ = OpenedAccess::Unreadable;
    } else if (!InsideFolders(*real, folders)) {
        document.access_ = OpenedAccess::Outside;
    } else if (!S_ISREG(status.st_mode)) {
        document.access_ = OpenedAccess::NotRegularFile;
    } else if (status.st_nlink > 1 && status.st_uid != ::geteuid()) {
        // Another name of the same file may lie anywhere, and a path cannot tell: a file
        // someone else linked into a shown folder could be /etc/shadow.
        document.access_ = OpenedAccess::SharedLink;
    } else {
        document.access_ = OpenedAccess::Opened;
        document.size_ = static_cast<std::uint64_t>(status.st_size);
    }
    document.realPath_ = real.value_or(fs::path());
    if (!document.IsOpen()) document.Close();
    return document;
}

OpenedDocument::OpenedDocument(OpenedDocument&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), access_(other.access_), realPath_(std::move(other.realPath_)),
      size_(other.size_) {}

OpenedDocument& OpenedDocument::operator=(OpenedDocument&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        access_ = other.access_;
        realPath_ = std::move(other.realPath_);
        size_ = other.size_;
    }
    return *this;
}

OpenedDocument::~OpenedDocument() { Close(); }

void OpenedDocument::Close() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

std::string OpenedDocument::DescriptorPath() const { return IsOpen() ? DescriptorLink(descriptor_) : std::string(); }

Result<std::string> OpenedDocument::Read(std::uint64_t limit) const {
    if (!IsOpen()) return Fault{"it is not open"};
    std::string bytes;
    // The size when opened is a hint: the file may grow or shrink while it is read, and
    // what is read is bounded all the same.
    bytes.reserve(static_cast<size_t>(std::min(size_, limit)));
    char buffer[64 * 1024];
    std::uint64_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(descriptor_, buffer, sizeof buffer, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            return Fault{"it cannot be read"};
        }
        if (got == 0) break;
        offset += static_cast<std::uint64_t>(got);
        if (offset > limit) return Fault{"it is larger than " + std::to_string(limit / (1024 * 1024)) + " MB"};
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

std::string OpenedDocument::Head(size_t count) const {
    std::string bytes(count, '\0');
    size_t got = 0;
    while (IsOpen() && got < count) {
        const ssize_t n = ::pread(descriptor_, bytes.data() + got, count - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace tidemark
