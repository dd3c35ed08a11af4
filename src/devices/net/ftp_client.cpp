#include "devices/net/ftp_client.h"

#include "core/program_module.h"
#include "devices/net/ftp_module.h"

namespace tidemark {

UploadResult UploadFile(const UploadRequest& request, const UploadOptions& options) {
    // Loaded once, by whichever thread uploads first.
    static const ModuleFunction<UploadFileFunction> upload = LoadModuleFunction<UploadFileFunction>(
        TIDEMARK_MODULE_LOCATION(TIDEMARK_FTP), kUploadFileSymbol, "The FTP client module");
    if (!upload) return UploadFailure(UploadStep::Connect, upload.error());
    return (*upload)(request, options);
}

}  // namespace tidemark
