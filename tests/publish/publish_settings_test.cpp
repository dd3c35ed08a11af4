#include <gtest/gtest.h>

#include <cstdlib>

#include "core/textfile.h"
#include "publish/publish_settings.h"
#include "support/temp_folder.h"

using namespace tidemark;
using testsupport::TempFolder;

TEST(PublishSettings, ReadsTheFourLinesAndToleratesShortOrMissingFiles) {
    TempFolder folder;
    PublishSettingsFile none = ReadPublishSettings(folder.Path());
    EXPECT_EQ(none.address, "");
    EXPECT_FALSE(none.saveEachGraph);

    ASSERT_TRUE(
        folder.Write(kPublishSettingsFileName, "ftp.example.org\r\nimages\r\nwebuser\r\n 1  Separately on/off\r\n"));
    PublishSettingsFile f = ReadPublishSettings(folder.Path());
    EXPECT_EQ(f.address, "ftp.example.org");
    EXPECT_EQ(f.folder, "images");
    EXPECT_EQ(f.user, "webuser");
    EXPECT_TRUE(f.saveEachGraph);

    ASSERT_TRUE(folder.Write(kPublishSettingsFileName, "/srv/pics\n"));
    f = ReadPublishSettings(folder.Path());
    EXPECT_EQ(f.address, "/srv/pics");
    EXPECT_EQ(f.folder, "");
    EXPECT_FALSE(f.saveEachGraph);
}

TEST(PublishSettings, ConfirmChoosesTheImageFolderAndStartsACycle) {
    PublishState state;
    int marker = 0;
    PublishChoice local;
    local.address = " /srv/pics ";
    local.saveEachGraph = true;
    ASSERT_EQ(ConfirmPublishing(local, "/opt/tm/", false, state, marker), ConfirmOutcome::Accepted);
    EXPECT_EQ(marker, -1);
    EXPECT_EQ(state.imageBasePath, "/srv/pics/Tidemark_window.png");
    EXPECT_TRUE(state.saveEachGraph);
    EXPECT_FALSE(state.ftp);

    // A web address without FTP, or no address at all: the program folder.
    PublishChoice site;
    site.address = "ftp.example.org";
    ConfirmPublishing(site, "/opt/tm/", true, state, marker);
    EXPECT_EQ(marker, -2);  // command-line mode
    EXPECT_EQ(state.imageBasePath, "/opt/tm/Tidemark_window.png");
    EXPECT_FALSE(state.saveEachGraph);
    ConfirmPublishing(PublishChoice{}, "/opt/tm/", false, state, marker);
    EXPECT_EQ(state.imageBasePath, "/opt/tm/Tidemark_window.png");

    // A drive path keeps its own separator; a home path is expanded.
    PublishChoice drive;
    drive.address = "C:\\mydata";
    ConfirmPublishing(drive, "/opt/tm/", false, state, marker);
    EXPECT_EQ(state.imageBasePath, "C:\\mydata\\Tidemark_window.png");
    setenv("HOME", "/home/tester", 1);
    PublishChoice home;
    home.address = "~/pics/";
    ConfirmPublishing(home, "/opt/tm/", false, state, marker);
    EXPECT_EQ(state.imageBasePath, "/home/tester/pics/Tidemark_window.png");
}

TEST(PublishSettings, FtpNeedsAPasswordAndOtherwiseChangesNothing) {
    PublishState state;
    state.imageBasePath = "/keep/Tidemark_window.png";
    int marker = 7;
    PublishChoice ftp;
    ftp.address = "ftp.example.org";
    ftp.ftp = true;
    EXPECT_EQ(ConfirmPublishing(ftp, "/opt/tm/", false, state, marker), ConfirmOutcome::NeedsPassword);
    EXPECT_EQ(marker, 7);
    EXPECT_EQ(state.imageBasePath, "/keep/Tidemark_window.png");
    EXPECT_FALSE(state.ftp);

    ftp.password = "secret";
    ftp.folder = "images";
    ASSERT_EQ(ConfirmPublishing(ftp, "/opt/tm/", false, state, marker), ConfirmOutcome::Accepted);
    EXPECT_TRUE(state.ftp);
    EXPECT_EQ(state.imageBasePath, "/opt/tm/Tidemark_window.png");
    EXPECT_EQ(state.ftpAddress, "ftp.example.org");
    EXPECT_EQ(state.ftpFolder, "images");
}

TEST(PublishSettings, WrittenFileReadsBackLineForLine) {
    TempFolder folder;
    PublishSettingsFile written{"ftp.example.org:2121", "river images", "web\r\nuser", false};
    ASSERT_TRUE(WritePublishSettings(folder.Path(), written));
    auto bytes = ReadFileBytes(folder.Path() + kPublishSettingsFileName);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "ftp.example.org:2121\r\nriver images\r\nweb  user\r\n 0  Separately on/off\r\n");
    written.saveEachGraph = true;
    written.user = "webuser";
    ASSERT_TRUE(WritePublishSettings(folder.Path(), written));
    PublishSettingsFile read = ReadPublishSettings(folder.Path());
    EXPECT_EQ(read.address, written.address);
    EXPECT_EQ(read.folder, written.folder);
    EXPECT_EQ(read.user, "webuser");
    EXPECT_TRUE(read.saveEachGraph);
}

TEST(PublishSettings, ALongLineIsRefusedAsAWholeAndToldWithTheFileAndLine) {
    TempFolder folder;
    const std::string path = folder.Path() + kPublishSettingsFileName;
    // The first line of a file a run once filled to 100 MB: a box would take it whole.
    ASSERT_TRUE(folder.Write(kPublishSettingsFileName, "ftp.example.org\r\n" + std::string(70000, 'a') +
                                                           "\r\nwebuser\r\n 1  Separately on/off\r\n"));
    PublishSettingsFile f = ReadPublishSettings(folder.Path());
    EXPECT_EQ(f.fault, "Line 2 of " + path + " is longer than 65536 characters");
    EXPECT_EQ(f.address, "");
    EXPECT_EQ(f.folder, "");
    EXPECT_EQ(f.user, "");
    EXPECT_FALSE(f.saveEachGraph);

    // Only the four lines are the program's: what a user keeps below them is not read.
    ASSERT_TRUE(folder.Write(kPublishSettingsFileName,
                             "ftp.example.org\r\nimages\r\nwebuser\r\n 1\r\n" + std::string(70000, 'n') + "\r\n"));
    f = ReadPublishSettings(folder.Path());
    EXPECT_EQ(f.fault, "");
    EXPECT_EQ(f.user, "webuser");
    EXPECT_TRUE(f.saveEachGraph);
}
