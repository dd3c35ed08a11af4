#pragma once
// Parts of the program that bring large libraries with them (the browser engine, the
// FTP client, the PDF renderer) live in modules of their own, loaded the first time
// they are needed: every library linked into the program itself is mapped and
// relocated before main runs, and so is paid for by every start, including the ones
// that never publish or show a web screen.
#include <string>

#include "core/result.h"

namespace tidemark {

struct ProgramModuleLocation {
    std::string fileName;  // e.g. "libtidemark_ftp.so"
    // The folder of the installed modules, relative to the installed program's.
    std::string folderFromProgram;
    // The module in the build tree, for the program and the tests run from there.
    std::string builtPath;
};

// The build says where each module is (CMake's tidemark_find_module).
#define TIDEMARK_MODULE_LOCATION(prefix) \
    ::tidemark::ProgramModuleLocation { prefix##_MODULE_NAME, prefix##_MODULE_FROM_BIN, prefix##_MODULE_BUILT }

// Loads the module, beside the installed program or else from the build tree, for the
// rest of the process (its objects may live until the end), and returns the address
// of `symbol` in it. A fault when there is no such module or it does not load;
// `description` names the module in it ("The FTP client module").
Result<void*> LoadProgramModuleSymbol(const ProgramModuleLocation& location, const char* symbol,
                                      const std::string& description);

// A module's entry point as its type.
template <class Function>
using ModuleFunction = Result<Function>;

template <class Function>
ModuleFunction<Function> LoadModuleFunction(const ProgramModuleLocation& location, const char* symbol,
                                            const std::string& description) {
    Result<void*> address = LoadProgramModuleSymbol(location, symbol, description);
    if (!address) return address.fault();
    return reinterpret_cast<Function>(address.value());
}

// Maps the module and its libraries, as LoadProgramModuleSymbol will, on the calling
// thread: run on a thread of its own, it lets a later load find the work done. Any fault
// is left for that load to report.
void PreloadProgramModule(const ProgramModuleLocation& location);

}  // namespace tidemark
