#pragma once
// Bounds on what a reader takes from a file and on what a message repeats of it: a
// damaged file must cost neither memory nor a flood of text on the screen or on
// standard error.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// The program's files hold short texts; a longer line is damage, not content.
inline constexpr size_t kLongestTextLine = 64 * 1024;
// The most of one value (a field, a line of a file) that a message repeats.
inline constexpr size_t kLongestQuote = 200;

// `text` when it is at most kLongestQuote characters long; otherwise its first
// kLongestQuote characters followed by "... (N characters)".
std::string Excerpt(std::string_view text);

// "Line N of PATH is longer than 65536 characters".
std::string LongLineFault(const std::string& path, size_t lineNumber);

// The 1-based number of the first line of `bytes` longer than kLongestTextLine, 0 when
// there is none. Lines end at LF (a CR before it is not counted), as SplitLines reads
// them; with `loneCrEndsLine` a CR not followed by LF ends a line too.
size_t FirstLongLine(std::string_view bytes, bool loneCrEndsLine = false);

enum class LineReadStatus {
    Read,
    CannotRead,   // the file cannot be opened or read
    LineTooLong,  // a line is longer than kLongestTextLine
};

struct LineRead {
    LineReadStatus status = LineReadStatus::Read;
    std::vector<std::string> lines;  // with LineTooLong: the lines before the long one
    size_t longLine = 0;             // 1-based number of the long line
    std::string fault;               // names the file (and the line)
};

// The file's lines as SplitLines gives them, the first `maxLines` at most. A line longer
// than kLongestTextLine ends the read as soon as it is seen, so a damaged file costs no
// more memory than that line's first part.
LineRead ReadLinesLimited(const std::string& path, size_t maxLines = static_cast<size_t>(-1));

}  // namespace tidemark
