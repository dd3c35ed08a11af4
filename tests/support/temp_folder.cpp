#include "support/temp_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace tidemark::testsupport {

TempFolder::TempFolder(const std::string& prefix) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        error_ = "Cannot create a temporary folder " + pattern + ": " + std::strerror(errno);
        return;
    }
    path_ = std::string(buffer.data()) + "/";
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool TempFolder::Write(const std::string& name, const std::string& bytes, std::string* error) const {
    std::string path = File(name);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) {
            if (error) *error = "Cannot write " + path;
            return false;
        }
    }
    chmod(path.c_str(), 0644);
    return true;
}

}  // namespace tidemark::testsupport
