#include "devices/net/ftp_client.h"

#include "core/program_module.h"
#include "devices/net/ftp_module.h"

namespace tidemark {

namespace {

// Loaded once, by whichever thread asks first.
template <class Function>
ModuleFunction<Function> FtpModuleFunction(const char* symbol) {
    return LoadModuleFunction<Function>(TIDEMARK_MODULE_LOCATION(TIDEMARK_FTP), symbol, "The FTP client module");
}

}  // namespace

UploadResult UploadFile(const UploadRequest& request, const UploadOptions& options) {
    static const ModuleFunction<UploadFileFunction> upload = FtpModuleFunction<UploadFileFunction>(kUploadFileSymbol);
    if (!upload) return UploadFailure(UploadStep::Connect, upload.error());
    return (*upload)(request, options);
}

Result<int> RemoveStaleUploads(const SweepRequest& request, const UploadOptions& options) {
    static const ModuleFunction<RemoveStaleUploadsFunction> sweep =
        FtpModuleFunction<RemoveStaleUploadsFunction>(kRemoveStaleUploadsSymbol);
    if (!sweep) return Fault{sweep.error()};
    return (*sweep)(request, options);
}

}  // namespace tidemark
