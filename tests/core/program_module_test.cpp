#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/program_module.h"

using namespace tidemark;

// What a missing or broken module says is all a user learns of it: the web screen, the
// PDF page or the upload that needed it shows this text.
TEST(ProgramModule, AMissingOrBrokenModuleSaysWhichAndWhy) {
    const auto dir = std::filesystem::temp_directory_path() / ("tm_module_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string missing = (dir / "libnone.so").string();
    Result<void*> none = LoadProgramModuleSymbol({"libnone.so", "no-such-folder", missing}, "entry", "The test module");
    EXPECT_FALSE(none);
    std::string error = none.error();
    EXPECT_EQ(error.rfind("The test module is not installed (looked for ", 0), 0u) << error;
    EXPECT_NE(error.find(missing), std::string::npos) << error;

    const std::string broken = (dir / "libbroken.so").string();
    std::ofstream(broken) << "not a shared object";
    PreloadProgramModule({"libbroken.so", "no-such-folder", broken});
    Result<void*> notLoaded =
        LoadProgramModuleSymbol({"libbroken.so", "no-such-folder", broken}, "entry", "The test module");
    EXPECT_FALSE(notLoaded);
    error = notLoaded.error();
    EXPECT_EQ(error.rfind("The test module " + broken + " cannot be loaded: ", 0), 0u) << error;
    std::filesystem::remove_all(dir);
}
