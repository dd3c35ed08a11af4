// A save killed at a random moment (SIGKILL: no handler runs, nothing is cleaned up)
// leaves Tidemark_setup.txt whole, with either the old or the new content, and readable;
// the next save clears what the killed ones left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "setup/setup_writer.h"
#include "setup_test_support.h"

using namespace tidemark;
using namespace tidemark::test;

namespace {

Model Read(const TempFolder& folder) {
    RecordingHost host;
    Model m;
    SetupReadResult r = SetupReader(host).Read(folder.path(), m.Targets());
    EXPECT_TRUE(r.ok()) << r.error();
    return m;
}

TEST(SetupSaveKilled, LeavesTheOldOrTheNewFileWholeAndNoLitter) {
    TempFolder folder;
    folder.Write(kSetupFileName, SampleSetup());
    Model original = Read(folder);
    Model changed = Read(folder);
    changed.pages.Page(1).title = "Rivers after the flood";
    changed.settings.days = 30;
    const std::string older = SetupWriter::ComposeSetup(original.settings, original.pages);
    const std::string newer = SetupWriter::ComposeSetup(changed.settings, changed.pages);
    ASSERT_EQ(older, SampleSetup());

    std::mt19937 random(21);
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            // The program's writer saving the two versions in turn until it is killed.
            for (int i = 0;; ++i) {
                Model m = i % 2 ? changed : original;
                // Killed at any moment: whether this save got through is not the question.
                (void)SetupWriter().Write(folder.path(), m.settings, m.pages);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
        ASSERT_EQ(kill(writer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status));

        std::string now = folder.Read(kSetupFileName);
        ASSERT_TRUE(now == older || now == newer) << now;
        if (folder.Exists(kSetupBackupFileName)) {
            std::string backup = folder.Read(kSetupBackupFileName);
            ASSERT_TRUE(backup == older || backup == newer) << backup;
        }
        Model back = Read(folder);
        EXPECT_EQ(back.pages.Page(1).title, now == older ? "Rivers" : "Rivers after the flood");
    }
    Model last = changed;
    ASSERT_TRUE(SetupWriter().Write(folder.path(), last.settings, last.pages).ok());
    EXPECT_EQ(folder.FileCount(), 3);  // the setup file, its backup and Tidemark_OnOff.txt
}

}  // namespace
