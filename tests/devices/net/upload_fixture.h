#pragma once
// What the upload tests share: file contents that break any text-mode transfer, a
// local file to send, short time limits and a stopwatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "devices/net/ftp_client.h"
#include "support/temp_folder.h"

namespace tidemark::nettest {

// A PNG signature (CR LF, ^Z, LF), zero bytes, lone CRs and LFs and every other byte
// value, repeated to the size.
inline std::string BinaryBlob(size_t size, unsigned seed = 1) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    bytes += std::string("\0\0\r\r\n\n\n\r", 8);
    for (unsigned i = 0; bytes.size() < size; ++i) bytes += static_cast<char>((i * 7 + seed * 13) % 256);
    bytes.resize(size);
    return bytes;
}

// Limits short enough for a test to wait them out.
inline UploadOptions QuickOptions() {
    UploadOptions options;
    options.limits.connect = std::chrono::milliseconds(2000);
    options.limits.transfer = std::chrono::seconds(20);
    options.limits.lowSpeedTime = std::chrono::seconds(2);
    return options;
}

class Stopwatch {
public:
    double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// A folder of files to send.
class LocalFiles {
public:
    // The path of a new local file holding the bytes.
    std::string Make(const std::string& name, const std::string& bytes) {
        std::string error;
        EXPECT_TRUE(folder_.Write(name, bytes, &error)) << error;
        return folder_.File(name);
    }

private:
    testsupport::TempFolder folder_{"tidemark-upload"};
};

// The names in a folder, sorted: where a left-over part file would show.
inline std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Puts a file on a server's disk directly, as an image an earlier upload left.
inline void PlaceFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

// A failure at the step, whose description names the server and the step and keeps
// the password out.
inline void ExpectFailureNames(const UploadResult& result, UploadStep step, const std::string& hostAndPort,
                               const std::string& password) {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().step, step) << result.error();
    EXPECT_NE(result.error().find(hostAndPort), std::string::npos) << result.error();
    EXPECT_NE(result.error().find(UploadStepText(step)), std::string::npos) << result.error();
    EXPECT_EQ(result.error().find(password), std::string::npos) << result.error();
}

}  // namespace tidemark::nettest
