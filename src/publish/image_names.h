#pragma once
// Names of the page images: the unattended ones derived from the image base path, and
// the default of the interactive save dialog with its file-type filter.
#include <string>
#include <vector>

namespace tidemark {

// The file name every unattended image name is derived from.
inline constexpr const char* kImageBaseFileName = "Tidemark_window.png";
// The name the save dialog proposes (with the extension ".png").
inline constexpr const char* kInteractiveImageName = "Tidemark_graph";
// The save dialog's filter: description and pattern pairs, each ended with "|".
inline constexpr const char* kSaveDialogFilter =
    "Pic files (*.png;*.bmp)|*.png;*.bmp|Png (*.jpg)|*.png|Bmp (*.bmp)|*.bmp|All files (*.*)|*.*|";

// The whole page's image: every "_window.png" of the base path (in any case) becomes
// "_window" + page + ".png".
std::string PageImagePath(const std::string& basePath, int page);

// One graph's image: "_window.png" becomes "_window_" + page + "_" + (slot + 1) + ".png".
std::string GraphImagePath(const std::string& basePath, int page, int slot);

// One entry of a file dialog's filter: the text the user sees and the patterns it selects.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

// Splits a "description|patterns|..." filter; patterns are separated by ";".
std::vector<FileFilter> ParseFileFilter(const std::string& filter);

// True when the path names a PNG file: its lower-cased text contains ".png". Anything
// else is written in the bitmap file format.
bool IsPngPath(const std::string& path);

}  // namespace tidemark
