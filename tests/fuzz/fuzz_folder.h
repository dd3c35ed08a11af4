#pragma once
// The readers of the program's files read paths, not bytes: each fuzz input is written
// to a file in a folder of the fuzzing process's own, made once.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace tidemark::fuzz {

// "<tmp>/tidemark-fuzz-<pid>/<sub>/", created on first use.
inline std::string Folder(const std::string& sub) {
    static const std::string root =
        (std::filesystem::temp_directory_path() / ("tidemark-fuzz-" + std::to_string(::getpid()))).string();
    std::string folder = root + "/" + sub + "/";
    std::filesystem::create_directories(folder);
    return folder;
}

inline void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace tidemark::fuzz
