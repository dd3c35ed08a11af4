#include "platform/net/ftp_client.h"

#include "core/program_module.h"
#include "platform/net/ftp_module.h"

#ifndef TIDEMARK_FTP_MODULE_NAME
#define TIDEMARK_FTP_MODULE_NAME "libtidemark_ftp.so"
#endif
#ifndef TIDEMARK_FTP_MODULE_FROM_BIN
#define TIDEMARK_FTP_MODULE_FROM_BIN "../lib/tidemark"
#endif
#ifndef TIDEMARK_FTP_MODULE_BUILT
#define TIDEMARK_FTP_MODULE_BUILT ""
#endif

namespace tidemark {
namespace {

struct LoadedUploader {
    UploadFileFunction upload = nullptr;
    std::string error;
};

const LoadedUploader& Uploader() {
    // Loaded once, by whichever thread uploads first.
    static const LoadedUploader loaded = [] {
        LoadedUploader result;
        const ProgramModuleLocation location{TIDEMARK_FTP_MODULE_NAME, TIDEMARK_FTP_MODULE_FROM_BIN,
                                             TIDEMARK_FTP_MODULE_BUILT};
        result.upload = reinterpret_cast<UploadFileFunction>(
            LoadProgramModuleSymbol(location, kUploadFileSymbol, "The FTP client module", result.error));
        return result;
    }();
    return loaded;
}

}  // namespace

UploadResult UploadFile(const UploadRequest& request, const UploadOptions& options) {
    const LoadedUploader& uploader = Uploader();
    if (!uploader.upload) return UploadResult::Failure(UploadStep::Connect, uploader.error);
    return uploader.upload(request, options);
}

}  // namespace tidemark
