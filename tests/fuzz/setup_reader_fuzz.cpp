// libFuzzer target for the setup reader. Any text must be read without a crash or
// undefined behaviour; a text that reads without a fault must write out in a form that
// reads back without a fault and writes the same bytes again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/frequency.h"
#include "setup/setup_reader.h"
#include "setup/setup_writer.h"
#include "support/recording_host.h"

namespace {

// No frequency file here: the reader reports it missing and goes on.
const std::string kFolder = "/nonexistent-tidemark-fuzz/";

struct Model {
    tidemark::SetupSettings settings;
    tidemark::PageSet pages;
    tidemark::SiteCatalogue catalogue;
    tidemark::FrequencyTable frequency;
    tidemark::SetupTargets Targets() { return {settings, pages, catalogue, frequency}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tidemark;
    std::string text(reinterpret_cast<const char*>(data), size);
    RecordingHost host;
    Model first;
    SetupReadResult r = SetupReader(host).ReadText(text, kFolder, first.Targets());
    if (!r.ok()) {
        if (r.error().empty() || host.messages.empty() || host.messages.back() != r.error()) __builtin_trap();
        return 0;
    }
    // Very large page counts are read above; writing them back only costs time.
    if (first.pages.pagecount > 200) return 0;

    std::string written = SetupWriter::ComposeSetup(first.settings, first.pages);
    Model second;
    SetupReadResult again = SetupReader(host).ReadText(written, kFolder, second.Targets());
    if (!again.ok()) __builtin_trap();
    if (SetupWriter::ComposeSetup(second.settings, second.pages) != written) __builtin_trap();
    return 0;
}
