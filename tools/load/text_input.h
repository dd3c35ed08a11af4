#pragma once
// A file's text, checked before any line of it is taken as data: a binary file, an
// overlong line or text that is not 8-bit text is refused whole, with the line it
// showed at.
#include <string>
#include <string_view>

#include "core/result.h"

namespace tidemark::load {

// Longer lines are refused: no logger or agency file writes them, and a reader must not
// be made to hold one.
inline constexpr size_t kMaxLineBytes = 64 * 1024;

// Reads `path` whole and checks its shape. Faults carry the file and, where it applies,
// the line.
Result<std::string> ReadInputFile(const std::string& path);

// Walks the lines of checked text (CR LF or LF), without the line ends.
class LineCursor {
public:
    explicit LineCursor(std::string_view text);
    bool Next(std::string_view& line);
    int LineNumber() const { return line_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 0;
};

}  // namespace tidemark::load
