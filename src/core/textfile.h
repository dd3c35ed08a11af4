#pragma once
// 8-bit text files with CR LF line ends. Bytes are kept as they are (Windows-1252
// outside ASCII); nothing is converted.
#include <ctime>
#include <optional>

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace tidemark {

// Whole file as bytes, or why it cannot be read.
Result<std::string> ReadFileBytes(const std::string& path);

// Splits on CR LF or LF (a lone CR inside a line is kept). A final line end does not
// give an extra empty line.
std::vector<std::string> SplitLines(const std::string& text);

// Joins lines, each ended with CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// How long a write waits for the disk.
enum class FileDurability {
    Flushed,   // on the disk before it replaces the target, and the folder's entry too
    Replaced,  // replaces the target whole but leaves the flushing to the system: for
               // files made afresh every round (page images), where waiting for the
               // disk would cost more than the rest of the write
};

// Writes the bytes to a temporary file in the same folder, flushes it to disk (unless
// Replaced) and renames it over the target, so the target is either the old or the new
// content, never half-written. A fault leaves the target untouched.
Result<void> WriteFileAtomic(const std::string& path, const std::string& bytes,
                             FileDurability durability = FileDurability::Flushed);

// A file written in pieces as they are made (a large export that need not be held in
// memory whole), under a temporary name in the same folder; Commit puts it in place as
// WriteFileAtomic does. Dropped without Commit, the temporary file goes with it and the
// target stays as it was.
class StreamedFile {
public:
    explicit StreamedFile(std::string path);
    ~StreamedFile();
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;

    // A fault once any step failed; later appends give the first fault again.
    Result<void> Append(std::string_view bytes);
    Result<void> Commit(FileDurability durability = FileDurability::Flushed);
    // Flushes and closes the file and returns its temporary path, for a caller that
    // renames it itself.
    Result<std::string> Close(FileDurability durability);

private:
    Result<void> Fail(Fault fault);
    void Discard();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    std::optional<Fault> fault_;
};

// Writes to a temporary file in the same folder and fsyncs it, returning its path;
// the caller renames it into place. Used where other files must move in between.
Result<std::string> WriteTempBeside(const std::string& path, const std::string& bytes,
                                    FileDurability durability = FileDurability::Flushed);

// Removes the temporary files that writes to `path` left beside it when they were cut
// off between creating the file and renaming it (the process killed, the machine down).
void RemoveLeftoverTemps(const std::string& path);

// The same for a whole folder at start: every temporary file of a file whose name begins
// with namePrefix, last changed before `before` (a write of another running instance is
// younger and stays). Returns how many were removed.
int RemoveStaleTemps(const std::string& folder, const std::string& namePrefix, std::time_t before);

bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);
Result<void> RenameFile(const std::string& from, const std::string& to);

}  // namespace tidemark
