#pragma once
// The uploads themselves are made in the module tidemark_ftp, which brings libcurl and
// the many libraries it is built with: loaded by the first upload, they cost a start of
// the program nothing (core/program_module.h).
#include "devices/net/ftp_client.h"

namespace tidemark {

// What the module exports: UploadFile as ftp_client.h describes it.
using UploadFileFunction = UploadResult (*)(const UploadRequest&, const UploadOptions&);
inline constexpr const char* kUploadFileSymbol = "tidemark_upload_file";

// And RemoveStaleUploads.
using RemoveStaleUploadsFunction = Result<int> (*)(const SweepRequest&, const UploadOptions&);
inline constexpr const char* kRemoveStaleUploadsSymbol = "tidemark_remove_stale_uploads";

}  // namespace tidemark
