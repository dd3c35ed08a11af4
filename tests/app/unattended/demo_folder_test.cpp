// The demo folder is a program folder a user can copy or move: drawn from its new place it
// shows its own notes, report and workbook, with no notice of a document outside the
// folders or missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/run_program.h"
#include "support/temp_folder.h"

using namespace tidemark::testsupport;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNow = "2024-03-01 07:25";

}  // namespace

TEST(DemoFolder, AMovedDemoFolderShowsItsOwnDocumentsWithoutANotice) {
    TempFolder root{"tidemark-demo-moved"};
    ASSERT_TRUE(root.ok()) << root.error();
    ProgramResult made =
        RunProgram({TIDEMARK_DEMO_EXE, root.File("first/Tidemark"), "--now", kNow}, root.File("demo.log"), 60);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    // Moved as a user moves it: copied, and the first place gone.
    fs::copy(root.File("first"), root.File("moved"), fs::copy_options::recursive);
    fs::remove_all(root.File("first"));

    ASSERT_TRUE(root.Write("screen.json", R"({"screens":[{"name":"s1","x":0,"y":0,"width":1280,"height":800,)"
                                          R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})"));
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + root.File("screen.json")).c_str(), 1);
    SeparateStreamsResult drawn = RunProgramSeparately(
        {TIDEMARK_EXE, "--folder", root.File("moved/Tidemark/"), "--render-pages", root.File("out"), "--now", kNow},
        root.File("render.out"), root.File("render.err"), 120);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
    EXPECT_EQ(drawn.err.find("not shown"), std::string::npos) << drawn.err;
    EXPECT_EQ(drawn.out.find("not shown"), std::string::npos) << drawn.out;
    // A page image per page, beside the pictures of single graphs the site's template asks for.
    int pageImages = 0;
    for (const auto& e : fs::directory_iterator(root.File("out"))) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".png" && name.rfind("Tidemark_window_", 0) != 0) ++pageImages;
    }
    EXPECT_EQ(pageImages, 9);
}
