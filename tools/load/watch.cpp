#include "watch.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>

#include "core/textfile.h"

namespace tidemark::load {
namespace {

namespace fs = std::filesystem;

struct Seen {
    std::uintmax_t size = 0;
    fs::file_time_type time;
    std::chrono::steady_clock::time_point since;
};

bool IsTemporaryName(const std::string& name) {
    auto endsWith = [&](const char* end) {
        std::string e(end);
        return name.size() >= e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0;
    };
    return name.empty() || name.front() == '.' || endsWith(".tmp") || endsWith(".part") || endsWith("~") ||
           endsWith(".reason.txt");
}

// A name in `folder` not yet taken: "name", else "name.2", "name.3", ...
std::string FreeName(const fs::path& folder, const std::string& name) {
    fs::path candidate = folder / name;
    for (int k = 2; fs::exists(candidate); ++k) candidate = folder / (name + "." + std::to_string(k));
    return candidate.string();
}

Result<void> MoveAside(const fs::path& file, const fs::path& into, const std::string& reason) {
    std::error_code ec;
    fs::create_directories(into, ec);
    if (ec) return Fault{"cannot make " + into.string() + ": " + ec.message()};
    std::string target = FreeName(into, file.filename().string());
    if (Result<void> moved = RenameFile(file.string(), target); !moved) return moved;
    if (!reason.empty()) {
        if (Result<void> written = WriteFileAtomic(target + ".reason.txt", reason + "\n"); !written) return written;
    }
    return {};
}

}  // namespace

Result<void> WatchFolder(const std::string& folder, const WatchHooks& hooks, const std::atomic<bool>& stop,
                         int pollMilliseconds) {
    const fs::path root(folder);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return Fault{"is not a folder", folder};
    const fs::path loaded = root / "loaded", failed = root / "failed";
    std::map<std::string, Seen> seen;
    hooks.say("watching " + root.string() + " (loaded files go to loaded/, refused ones to failed/)");
    while (!stop.load()) {
        const auto now = std::chrono::steady_clock::now();
        std::map<std::string, Seen> next;
        for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (IsTemporaryName(name) || !it->is_regular_file(ec)) continue;
            Seen s{it->file_size(ec), it->last_write_time(ec), now};
            if (ec) continue;
            auto before = seen.find(name);
            if (before != seen.end() && before->second.size == s.size && before->second.time == s.time)
                s.since = before->second.since;
            next[name] = s;
        }
        if (ec) return Fault{"cannot be read: " + ec.message(), folder};
        seen = std::move(next);
        for (auto it = seen.begin(); it != seen.end() && !stop.load();) {
            if (now - it->second.since < std::chrono::seconds(kSettleSeconds)) {
                ++it;
                continue;
            }
            const fs::path file = root / it->first;
            Result<void> result = hooks.load(file.string());
            Result<void> moved = MoveAside(file, result ? loaded : failed, result ? "" : result.error());
            if (!moved) hooks.say(file.string() + ": could not be moved aside: " + moved.error());
            it = seen.erase(it);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMilliseconds));
    }
    return {};
}

}  // namespace tidemark::load
