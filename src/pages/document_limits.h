#pragma once
// What a web screen takes of a local document. Every document is someone else's file and
// its picture is published: a document larger than these is not shown, a notice says so,
// and the program goes on (a few kilobytes of .xlsx can unpack to gigabytes).
#include <cstddef>
#include <cstdint>

namespace tidemark {

inline constexpr std::uint64_t kMegabyte = 1024 * 1024;

// A file the browser engine is given (a page, an image, a style sheet, a script).
inline constexpr std::uint64_t kServedDocumentBytes = 64 * kMegabyte;

// A PDF the program draws: its size, and the pages drawn of a longer one.
inline constexpr std::uint64_t kPdfBytesLimit = 64 * kMegabyte;
inline constexpr int kPdfPagesShown = 20;

// A workbook shown as its first sheet: the file, what one of its parts may unpack to,
// and the rows and cells shown.
inline constexpr std::uint64_t kSheetFileBytes = 32 * kMegabyte;
inline constexpr std::uint64_t kSheetPartBytes = 64 * kMegabyte;
inline constexpr int kSheetPageRows = 2000;
inline constexpr std::size_t kSheetPageCells = 100000;

// Lines a page writes to its console that are shown at all (with the debug switch), per
// document loaded, and the most of one line shown.
inline constexpr int kConsoleLinesPerDocument = 5;

}  // namespace tidemark
