#pragma once
// Reads Tidemark_setup.txt into the settings and pages. A fault is shown once through
// the Host and handed back as a fatal result; ending the program is the caller's call.
#include <cstdint>
#include <functional>
#include <string>

#include "analysis/frequency.h"
#include "core/host.h"
#include "core/result.h"
#include "setup/setup_model.h"
#include "setup/site_catalogue.h"

namespace tidemark {

enum class SetupFault {
    NotFound,   // no setup file
    Loading,    // a bad line or field, or any other fault while reading
    Catalogue,  // the connection or catalogue load failed: the caller opens the setup
                // file in the editor before ending
};

// The description is the text already shown.
struct SetupLoadFault : Fault {
    SetupFault kind = SetupFault::Loading;
};

struct SetupRead {
    // 1-based file line number of the last page-section line read: faults found later
    // while the pages are loaded are reported against it.
    int lastLine = 0;
    // Line 1, which sets the day window: a window the pages cannot be loaded for is
    // found while loading and reported against this line.
    std::string firstLine{};
};

using SetupReadResult = Result<SetupRead, SetupLoadFault>;

// Shown after a catalogue fault, below the fault's own description: where the file to
// fix lies (`programFolder` ends with "/") and what to fix it with, as this system has it.
inline std::string ConnectionHint(const std::string& programFolder) {
    return "Use a text editor to edit Database Connection String in Tidemark_setup.txt (maybe " + programFolder;
}

struct SetupReaderHooks {
    // Runs between the top section and the page section: completes the connection
    // string and loads the site catalogue. Without it the connection string stays as
    // read (trimmed).
    std::function<Result<void>(SetupSettings&, SiteCatalogue&)> afterTopSection;
};

// What a read fills. The frequency table lives for the whole run; it is read at most
// once, at the first graph that needs it.
struct SetupTargets {
    SetupSettings& settings;
    PageSet& pages;
    SiteCatalogue& catalogue;
    FrequencyTable& frequency;
};

// A setup is a few hundred short lines; a file far larger is not one, and is refused
// before it is read.
inline constexpr uintmax_t kLargestSetupFile = 4u << 20;

// Why bytes cannot be a setup file at all (binary content, a line of a megabyte, nothing
// but blanks), or empty when they may be one.
std::string TextShapeFault(const std::string& bytes);

class SetupReader {
public:
    explicit SetupReader(Host& host, SetupReaderHooks hooks = {});

    // Reads programFolder + "Tidemark_setup.txt" (the folder ends with "/"). A file that
    // holds TABs is first written back with ";" in their place.
    SetupReadResult Read(const std::string& programFolder, const SetupTargets& targets);

    // Parses setup text as if read from the program folder's setup file (TABs are taken
    // as ";" without writing anything).
    SetupReadResult ReadText(const std::string& text, const std::string& programFolder, const SetupTargets& targets);

private:
    SetupReadResult Fail(SetupFault kind, const std::string& message, const std::string& path);

    Host& host_;
    SetupReaderHooks hooks_;
};

// The loading message of a fault: the description, CR LF, then where it happened.
std::string TopSectionFaultMessage(const std::string& description, const std::string& setupPath,
                                   const std::string& lineText);
std::string PageSectionFaultMessage(const std::string& description, const std::string& setupPath, int page,
                                    int lineNumber);

}  // namespace tidemark
