// libFuzzer target for the publishing settings file: any file reads without a crash,
// and what was read writes out and reads back the same (a line break inside a line, which
// a box cannot hold, as a space).
#include "fuzz_folder.h"
#include "publish/publish_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tidemark;
    const std::string folder = fuzz::Folder("publish");
    fuzz::WriteInput(folder + kPublishSettingsFileName, data, size);
    PublishSettingsFile read = ReadPublishSettings(folder);
    if (!WritePublishSettings(folder, read)) return 0;
    PublishSettingsFile again = ReadPublishSettings(folder);
    auto oneLine = [](std::string text) {
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        return text;
    };
    if (again.address != oneLine(read.address) || again.folder != oneLine(read.folder) ||
        again.user != oneLine(read.user) || again.saveEachGraph != read.saveEachGraph)
        __builtin_trap();
    return 0;
}
