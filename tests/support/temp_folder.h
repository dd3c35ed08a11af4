#pragma once
// A folder under the system's temporary folder, removed with everything in it when the
// object goes.
#include <string>

namespace tidemark::testsupport {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tidemark");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // The folder's path with a trailing "/" (usable as a program folder).
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    // Writes a file inside the folder (mode 0644); false with a message on failure.
    bool Write(const std::string& name, const std::string& bytes, std::string* error = nullptr) const;

private:
    std::string path_;
    std::string error_;
};

}  // namespace tidemark::testsupport
