#include "text_input.h"

#include <sys/stat.h>

#include <cstring>

#include "core/textfile.h"

namespace tidemark::load {
namespace {

// Files larger than this are not time series a person drops in; they are refused
// before being read into memory.
constexpr long long kMaxFileBytes = 2LL * 1024 * 1024 * 1024;

Fault At(const std::string& path, int line, const std::string& what) { return Fault{what, path, 0, line}; }

}  // namespace

Result<std::string> ReadInputFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return At(path, 0, std::string("cannot be read: ") + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return At(path, 0, "is not a regular file");
    if (st.st_size > kMaxFileBytes) return At(path, 0, "is larger than 2 GiB");
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return At(path, 0, bytes.error());
    std::string& text = bytes.value();
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    int line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n') {
            ++line;
            lineStart = i + 1;
            continue;
        }
        if (c == '\0') return At(path, line, "holds binary data (a NUL byte), not text");
        if (i - lineStart >= kMaxLineBytes)
            return At(path, line, "has a line longer than " + std::to_string(kMaxLineBytes / 1024) + " KiB");
    }
    return bytes;
}

LineCursor::LineCursor(std::string_view text) : text_(text) {}

bool LineCursor::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++line_;
    return true;
}

}  // namespace tidemark::load
