#pragma once
// The folder loggers drop files into. A file is taken once it is complete: written under
// a temporary name and renamed (names starting with "." or ending in .tmp, .part or "~"
// are not looked at), or settled - its size and time unchanged for kSettleSeconds. Each
// file is loaded by the given function and moved to loaded/ or failed/ beside it, a
// failed one with "<name>.reason.txt" saying why. Files already in the folder when the
// watch starts are taken too.
#include <atomic>
#include <functional>
#include <string>

#include "core/result.h"

namespace tidemark::load {

inline constexpr int kSettleSeconds = 2;

struct WatchHooks {
    // Loads one file; its fault becomes the reason file.
    std::function<Result<void>(const std::string& path)> load;
    // A line for the log (standard output).
    std::function<void(const std::string&)> say;
};

// Runs until `stop` is set (between files, never within one), checking the folder every
// `pollMilliseconds`. A fault only when the folder cannot be watched at all.
Result<void> WatchFolder(const std::string& folder, const WatchHooks& hooks, const std::atomic<bool>& stop,
                         int pollMilliseconds = 500);

}  // namespace tidemark::load
