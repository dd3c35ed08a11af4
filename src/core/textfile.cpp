#include "core/textfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

namespace tidemark {
namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

void SyncFolder(const std::string& path) {
    int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Result<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fault{path + ": " + std::strerror(errno), path};
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return Fault{path + ": read error", path};
    return ss.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        size_t end = nl;
        if (end > pos && text[end - 1] == '\r') --end;
        lines.push_back(text.substr(pos, end - pos));
        pos = nl + 1;
    }
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

constexpr const char kTempSuffix[] = ".tmp-XXXXXX";

StreamedFile::StreamedFile(std::string path) : path_(std::move(path)) {
    std::string pattern = path_ + kTempSuffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        fault_ = Fault{path_ + ": cannot create a temporary file: " + std::strerror(errno), path_};
        return;
    }
    tempPath_ = name.data();
}

StreamedFile::~StreamedFile() { Discard(); }

void StreamedFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

Result<void> StreamedFile::Fail(Fault fault) {
    Discard();
    if (!fault_) fault_ = std::move(fault);
    return *fault_;
}

Result<void> StreamedFile::Append(std::string_view bytes) {
    if (fault_) return *fault_;
    if (fd_ < 0) return Fault{path_ + ": the file is already closed", path_};
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(Fault{path_ + ": write failed: " + std::strerror(errno), path_});
        }
        done += static_cast<size_t>(n);
    }
    return {};
}

Result<std::string> StreamedFile::Close(FileDurability durability) {
    if (fault_) return *fault_;
    if (fd_ < 0) return Fault{path_ + ": the file is already closed", path_};
    int fd = std::exchange(fd_, -1);
    bool flushed = durability != FileDurability::Flushed || ::fsync(fd) == 0;
    bool closed = ::close(fd) == 0;
    if (!flushed || !closed)
        return Fail(Fault{path_ + ": cannot flush to disk: " + std::strerror(errno), path_}).fault();
    // mkstemp creates 0600; text files of the program folder are ordinary files.
    ::chmod(tempPath_.c_str(), 0644);
    return std::exchange(tempPath_, std::string());
}

Result<void> StreamedFile::Commit(FileDurability durability) {
    Result<std::string> tmp = Close(durability);
    if (!tmp) return tmp.fault();
    if (durability == FileDurability::Replaced) {
        if (::rename(tmp->c_str(), path_.c_str()) == 0) return {};
        Fault fault{"cannot rename " + *tmp + " to " + path_ + ": " + std::strerror(errno), path_};
        ::unlink(tmp->c_str());
        return fault;
    }
    Result<void> renamed = RenameFile(*tmp, path_);
    if (!renamed) ::unlink(tmp->c_str());
    return renamed;
}

Result<std::string> WriteTempBeside(const std::string& path, const std::string& bytes, FileDurability durability) {
    StreamedFile file(path);
    if (Result<void> appended = file.Append(bytes); !appended) return appended.fault();
    return file.Close(durability);
}

Result<void> WriteFileAtomic(const std::string& path, const std::string& bytes, FileDurability durability) {
    StreamedFile file(path);
    if (Result<void> appended = file.Append(bytes); !appended) return appended;
    return file.Commit(durability);
}

namespace {

// mkstemp's names: the target's name, the suffix and six letters or digits.
bool IsTempName(const std::string& name) {
    constexpr size_t kMarkLength = sizeof(kTempSuffix) - 1 - 6;  // ".tmp-"
    if (name.size() < kMarkLength + 7) return false;
    const size_t mark = name.size() - 6 - kMarkLength;
    if (name.compare(mark, kMarkLength, kTempSuffix, kMarkLength) != 0) return false;
    for (size_t i = name.size() - 6; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

// Calls `visit` with the name of every entry of the folder.
template <class Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (dirent* entry = ::readdir(dir)) visit(std::string(entry->d_name));
    ::closedir(dir);
}

}  // namespace

void RemoveLeftoverTemps(const std::string& path) {
    std::string folder = FolderOf(path);
    size_t slash = path.find_last_of('/');
    std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
    ForEachEntry(folder, [&](const std::string& name) {
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 && IsTempName(name))
            ::unlink((folder + "/" + name).c_str());
    });
}

int RemoveStaleTemps(const std::string& folder, const std::string& namePrefix, std::time_t before) {
    int removed = 0;
    ForEachEntry(folder, [&](const std::string& name) {
        if (name.compare(0, namePrefix.size(), namePrefix) != 0 || !IsTempName(name)) return;
        const std::string path = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name;
        struct stat st {};
        // Only regular files: a link of that name may point anywhere.
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_mtime >= before) return;
        if (::unlink(path.c_str()) == 0) ++removed;
    });
    return removed;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

Result<void> RenameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return Fault{"cannot rename " + from + " to " + to + ": " + std::strerror(errno), to};
    SyncFolder(to);
    return {};
}

}  // namespace tidemark
