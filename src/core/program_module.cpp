#include "core/program_module.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace tidemark {
namespace {

std::string ProgramFolder() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

std::vector<std::string> Candidates(const ProgramModuleLocation& location) {
    std::vector<std::string> paths;
    if (std::string folder = ProgramFolder(); !folder.empty())
        paths.push_back(
            (std::filesystem::path(folder) / location.folderFromProgram / location.fileName).lexically_normal());
    if (!location.builtPath.empty()) paths.push_back(location.builtPath);
    return paths;
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The first candidate that exists; empty, with `tried` listing them all, when none does.
std::string InstalledModule(const ProgramModuleLocation& location, std::string* tried = nullptr) {
    for (const std::string& path : Candidates(location)) {
        if (IsFile(path)) return path;
        if (tried) *tried += (tried->empty() ? "" : ", ") + path;
    }
    return {};
}

// Never unloaded: what the module made may be in use until the program ends.
void* OpenModule(const std::string& path) { return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE); }

}  // namespace

void PreloadProgramModule(const ProgramModuleLocation& location) {
    if (std::string path = InstalledModule(location); !path.empty()) OpenModule(path);
}

Result<void*> LoadProgramModuleSymbol(const ProgramModuleLocation& location, const char* symbol,
                                      const std::string& description) {
    std::string tried;
    const std::string path = InstalledModule(location, &tried);
    if (path.empty()) return Fault{description + " is not installed (looked for " + tried + ")"};
    void* module = OpenModule(path);
    const char* reason = module ? nullptr : ::dlerror();
    void* address = module ? ::dlsym(module, symbol) : nullptr;
    if (module && !address) reason = ::dlerror();
    if (!address)
        return Fault{description + " " + path + " cannot be loaded: " + (reason ? reason : "unknown reason"), path};
    return address;
}

}  // namespace tidemark
