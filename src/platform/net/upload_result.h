#pragma once
// How an upload ended: done, or failed at one step with a description that names the
// server and the step (never the password).
#include <string>
#include <utility>

namespace tidemark {

// The steps in the order an upload takes them; a failure names the one it stopped at.
// The file is sent under a temporary name (Upload) and then renamed onto the remote
// name (Replace), so a failure at either step leaves the old file as it was.
enum class UploadStep { Connect, Login, Folder, Upload, Replace };

// "connecting", "logging in", "changing to the folder", "sending the file",
// "putting the file in place of the old one".
const char* UploadStepText(UploadStep step);

class UploadResult {
public:
    static UploadResult Success() { return UploadResult(true, UploadStep::Upload, {}); }
    static UploadResult Failure(UploadStep step, std::string description) {
        return UploadResult(false, step, std::move(description));
    }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // The step that failed (Upload after a success).
    UploadStep step() const { return step_; }
    // Empty after a success.
    const std::string& description() const { return description_; }

private:
    UploadResult(bool ok, UploadStep step, std::string description)
        : ok_(ok), step_(step), description_(std::move(description)) {}

    bool ok_;
    UploadStep step_;
    std::string description_;
};

}  // namespace tidemark
