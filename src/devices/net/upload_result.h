#pragma once
// How an upload ended: done, or failed at one step with a description that names the
// server and the step (never the password).
#include <string>
#include <utility>

#include "core/result.h"

namespace tidemark {

// The steps in the order an upload takes them; a failure names the one it stopped at.
// The file is sent under a temporary name (Upload) and then renamed onto the remote
// name (Replace), so a failure at either step leaves the old file as it was.
enum class UploadStep { Connect, Login, Folder, Upload, Replace };

// "connecting", "logging in", "changing to the folder", "sending the file",
// "putting the file in place of the old one".
const char* UploadStepText(UploadStep step);

// A failed upload: the description names the server and the step (never the password).
struct UploadFault : Fault {
    UploadStep step = UploadStep::Connect;
};

// What an upload that arrived has to tell beyond that.
struct UploadReceipt {
    // The server would not rename onto an existing file: the old file was renamed aside
    // just before the new one took its name, which was without a file for the time of
    // that one rename.
    bool replacedInSteps = false;
};

using UploadResult = Result<UploadReceipt, UploadFault>;

inline UploadFault UploadFailure(UploadStep step, std::string description) {
    UploadFault fault;
    fault.description = std::move(description);
    fault.step = step;
    return fault;
}

}  // namespace tidemark
