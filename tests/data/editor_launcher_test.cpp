// Which editor the setup file is opened with. The launch itself is checked with a
// small script standing in for the editor, which writes down the arguments it got;
// no real editor or desktop handler is ever started.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/textfile.h"
#include "storage/db/editor_launcher.h"
#include "support/temp_folder.h"

namespace tidemark {
namespace {

using Commands = std::vector<std::vector<std::string>>;

TEST(EditorCommands, VisualThenEditorThenTheDesktopHandler) {
    const std::string file = "/srv/Tide mark/Tidemark_setup.txt";
    EXPECT_EQ(EditorCommands(file, "", ""), (Commands{{"xdg-open", file}}));
    EXPECT_EQ(EditorCommands(file, "gedit", "vi"), (Commands{{"gedit", file}, {"vi", file}, {"xdg-open", file}}));
    // Arguments of the variable are kept, quoted words stay whole, blank variables are skipped.
    EXPECT_EQ(EditorCommands(file, "  ", "emacsclient -c \"--alternate-editor=\""),
              (Commands{{"emacsclient", "-c", "--alternate-editor=", file}, {"xdg-open", file}}));
    // A file name that looks like shell syntax is still one plain argument.
    const std::string odd = "/tmp/a;rm -rf x $(y)/Tidemark_setup.txt";
    EXPECT_EQ(EditorCommands(odd, "kate", ""), (Commands{{"kate", odd}, {"xdg-open", odd}}));
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::optional<std::string> WaitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        if (Result<std::string> text = ReadFileBytes(path); text && !text->empty() && text->back() == '\n')
            return *text;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return std::nullopt;
}

TEST(OpenInEditor, StartsTheFirstEditorThatExists) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(folder.ok()) << folder.error();
    const std::string script = folder.File("record-editor");
    ASSERT_TRUE(folder.Write("record-editor", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > \"" +
                                                  folder.File("args.tmp") + "\"\necho >> \"" + folder.File("args.tmp") +
                                                  "\"\nmv \"" + folder.File("args.tmp") + "\" \"" +
                                                  folder.File("args.txt") + "\"\n"));
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);

    // $VISUAL names no program: $EDITOR, with its own argument, is started instead.
    ScopedEnv visual("VISUAL", folder.File("no-such-editor"));
    ScopedEnv editor("EDITOR", script + " --wait");
    const std::string setup = folder.File("my setup;x.txt");
    EXPECT_TRUE(OpenInEditor(setup));
    std::optional<std::string> args = WaitForFile(folder.File("args.txt"));
    ASSERT_TRUE(args.has_value()) << "the editor script did not run";
    EXPECT_EQ(*args, "--wait|" + setup + "|\n");
}

}  // namespace
}  // namespace tidemark
