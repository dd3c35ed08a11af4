// Uploads by plain FTP to a private pyftpdlib server: what arrives, where, and how
// each kind of failure ends (in time, at its step, without the password).
#include <gtest/gtest.h>

#include "support/ftp_server.h"
#include "support/loopback.h"
#include "upload_fixture.h"

namespace tidemark {
namespace {

using nettest::BinaryBlob;
using nettest::ExpectFailureNames;
using nettest::FolderEntries;
using nettest::LocalFiles;
using nettest::PlaceFile;
using nettest::QuickOptions;
using nettest::Stopwatch;
using testsupport::FtpServer;
using testsupport::FtpServerSettings;
using testsupport::SilentListener;

class FtpUpload : public ::testing::Test {
protected:
    void StartServer(FtpServerSettings settings = {}) {
        server_ = std::make_unique<FtpServer>(std::move(settings));
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
        ASSERT_TRUE(server_->MakeFolder("images"));
    }
    void SetUp() override { StartServer(); }

    UploadRequest Request(const std::string& localPath, const std::string& folder, const std::string& remoteName) {
        return {server_->HostAndPort(), folder, server_->User(), server_->Password(), localPath, remoteName};
    }

    // An image an earlier upload left in images/.
    void PlaceOldImage() { PlaceFile(server_->Home() + "images/" + kImage, OldImage()); }
    static std::string OldImage() { return BinaryBlob(30 * 1024, 7); }

    // The commands the server answered whose first word is one of `words`.
    std::vector<std::string> CommandsOf(std::initializer_list<std::string> words) const {
        std::vector<std::string> picked;
        for (const std::string& line : server_->Commands())
            for (const std::string& word : words)
                if (line.rfind(word + " ", 0) == 0) picked.push_back(line);
        return picked;
    }

    static constexpr const char* kImage = "Tidemark_window4.png";
    std::unique_ptr<FtpServer> server_;
    LocalFiles local_;
};

// The name the upload stored under: the argument of the first STOR.
std::string StoredName(const std::vector<std::string>& commands) {
    for (const std::string& line : commands)
        if (line.rfind("STOR ", 0) == 0) return line.substr(5, line.rfind(" -> ") - 5);
    return {};
}

TEST_F(FtpUpload, ActiveAndPassiveModesDeliverTheBytesUnchangedAndReplaceOlderFiles) {
    for (FtpDataMode mode : {FtpDataMode::Active, FtpDataMode::Passive}) {
        SCOPED_TRACE(mode == FtpDataMode::Active ? "active" : "passive");
        UploadOptions options = QuickOptions();
        options.dataMode = mode;
        std::string remote = mode == FtpDataMode::Active ? "Tidemark_window1.png" : "Tidemark_window2.png";

        std::string first = BinaryBlob(200 * 1024, 1);
        UploadResult result = UploadFile(Request(local_.Make("first.png", first), "images", remote), options);
        ASSERT_TRUE(result.ok()) << result.error();
        EXPECT_EQ(server_->Read("images/" + remote), first);

        // A shorter image later must not leave the tail of the earlier one behind.
        std::string second = BinaryBlob(5000, 2);
        result = UploadFile(Request(local_.Make("second.png", second), "images", remote), options);
        ASSERT_TRUE(result.ok()) << result.error();
        EXPECT_EQ(server_->Read("images/" + remote), second);
    }
}

TEST_F(FtpUpload, TheImageIsStoredUnderAHiddenPartNameCheckedAndRenamedOntoTheOldOne) {
    PlaceOldImage();
    std::string bytes = BinaryBlob(300 * 1024, 3);
    UploadResult result = UploadFile(Request(local_.Make("p.png", bytes), "images", kImage), QuickOptions());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_FALSE(result->replacedInSteps);

    std::string part = StoredName(server_->Commands());
    EXPECT_EQ(part.rfind(std::string(".") + kImage + ".part-", 0), 0u) << part;
    // In that order: the whole file under the part name, its size asked, the rename.
    std::vector<std::string> expected = {"STOR " + part + " -> 226", "SIZE " + part + " -> 213",
                                         "RNFR " + part + " -> 350", std::string("RNTO ") + kImage + " -> 250"};
    EXPECT_EQ(CommandsOf({"STOR", "SIZE", "RNFR", "RNTO", "DELE"}), expected);
    EXPECT_EQ(server_->Read(std::string("images/") + kImage), bytes);
    EXPECT_EQ(FolderEntries(server_->Home() + "images"), std::vector<std::string>{kImage});
}

// The old image is renamed aside (never deleted before the new one is in place), and
// removed only once the new one has its name.
TEST_F(FtpUpload, AServerThatWillNotRenameOntoAFileHasTheOldOneMovedAsideFirst) {
    FtpServerSettings refusing;
    refusing.refuseRenameOver = true;
    StartServer(refusing);
    PlaceOldImage();
    std::string bytes = BinaryBlob(40 * 1024, 4);
    UploadResult result = UploadFile(Request(local_.Make("p.png", bytes), "images", kImage), QuickOptions());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_TRUE(result->replacedInSteps);

    std::string part = StoredName(server_->Commands());
    std::string aside = part.substr(0, part.rfind(".part-")) + ".old-" + part.substr(part.rfind(".part-") + 6);
    std::vector<std::string> expected = {"RNFR " + part + " -> 350",
                                         std::string("RNTO ") + kImage + " -> 550",
                                         std::string("RNFR ") + kImage + " -> 350",
                                         "RNTO " + aside + " -> 250",
                                         "RNFR " + part + " -> 350",
                                         std::string("RNTO ") + kImage + " -> 250",
                                         "DELE " + aside + " -> 250"};
    EXPECT_EQ(CommandsOf({"RNFR", "RNTO", "DELE"}), expected);
    EXPECT_EQ(server_->Read(std::string("images/") + kImage), bytes);
    EXPECT_EQ(FolderEntries(server_->Home() + "images"), std::vector<std::string>{kImage});
}

// The rename of the new image onto the name fails after the old one was moved aside:
// the old one is renamed back, and neither the part file nor the aside file stays.
TEST_F(FtpUpload, AFailureBetweenTheStepsOfAReplacementPutsTheOldImageBack) {
    FtpServerSettings failing;
    failing.refuseRenameOver = true;
    failing.failRnto = 3;  // 1: onto the image (refused), 2: the image aside, 3: the new one in place
    StartServer(failing);
    PlaceOldImage();
    UploadResult result =
        UploadFile(Request(local_.Make("p.png", BinaryBlob(20 * 1024, 5)), "images", kImage), QuickOptions());
    ExpectFailureNames(result, UploadStep::Replace, server_->HostAndPort(), server_->Password());
    EXPECT_EQ(server_->Read(std::string("images/") + kImage), OldImage());
    EXPECT_EQ(FolderEntries(server_->Home() + "images"), std::vector<std::string>{kImage});
}

TEST_F(FtpUpload, AnEmptyFolderPutsTheFileInTheLoginDirectory) {
    std::string bytes = BinaryBlob(3000);
    UploadResult result = UploadFile(Request(local_.Make("p.png", bytes), "", "Tidemark_window.png"), QuickOptions());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(server_->Read("Tidemark_window.png"), bytes);
    EXPECT_FALSE(server_->Exists("images/Tidemark_window.png"));
}

TEST_F(FtpUpload, FolderAndFileNamesWithBlanksAndUrlCharactersArriveAsTyped) {
    ASSERT_TRUE(server_->MakeFolder("web site"));
    ASSERT_TRUE(server_->MakeFolder("web site/my images"));
    std::string bytes = BinaryBlob(1000);
    UploadResult result =
        UploadFile(Request(local_.Make("p.png", bytes), "web site/my images", "page #1 100%.png"), QuickOptions());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(server_->Read("web site/my images/page #1 100%.png"), bytes);
    EXPECT_EQ(FolderEntries(server_->Home() + "web site/my images"), std::vector<std::string>{"page #1 100%.png"});

    // A folder from the server's root (here the user's home) and a file in a folder
    // below it: the rename runs where the file went.
    result = UploadFile(Request(local_.Make("q.png", bytes), "/web site", "my images/q.png"), QuickOptions());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(FolderEntries(server_->Home() + "web site/my images"),
              (std::vector<std::string>{"page #1 100%.png", "q.png"}));
}

TEST_F(FtpUpload, LoginAndFolderFailuresNameTheirStep) {
    std::string path = local_.Make("p.png", BinaryBlob(1000));
    UploadRequest wrongPassword = Request(path, "images", "p.png");
    wrongPassword.password = "not the password";
    ExpectFailureNames(UploadFile(wrongPassword, QuickOptions()), UploadStep::Login, server_->HostAndPort(),
                       wrongPassword.password);

    UploadResult missingFolder = UploadFile(Request(path, "no such folder", "p.png"), QuickOptions());
    ExpectFailureNames(missingFolder, UploadStep::Folder, server_->HostAndPort(), server_->Password());
    EXPECT_NE(missingFolder.error().find("\"no such folder\""), std::string::npos) << missingFolder.error();
    EXPECT_FALSE(server_->Exists("p.png"));
}

TEST_F(FtpUpload, AMissingLocalFileFailsWithoutAServer) {
    Stopwatch clock;
    UploadResult result = UploadFile({"127.0.0.1:1", "", "u", "pw", "/nonexistent/p.png", "p.png"}, QuickOptions());
    ExpectFailureNames(result, UploadStep::Upload, "127.0.0.1:1", "pw");
    EXPECT_NE(result.error().find("/nonexistent/p.png"), std::string::npos) << result.error();
    EXPECT_LT(clock.Seconds(), 0.5);
}

// Servers that misbehave in the middle of a transfer.
class FtpServerFault : public FtpUpload {
protected:
    void SetUp() override {}
};

// A transfer that breaks off leaves the old image byte for byte and takes its part file
// away again.
TEST_F(FtpServerFault, ATransferCutShortOrAFolderFillingUpLeavesTheOldImageAndNoPartFile) {
    FtpServerSettings cutting;
    cutting.cutAfterBytes = 64 * 1024;
    FtpServerSettings filling;
    filling.diskFullAfterBytes = 100 * 1000;
    for (const FtpServerSettings& settings : {cutting, filling}) {
        SCOPED_TRACE(settings.cutAfterBytes >= 0 ? "cut" : "disk full");
        StartServer(settings);
        PlaceOldImage();
        UploadResult result =
            UploadFile(Request(local_.Make("p.png", BinaryBlob(4 * 1024 * 1024)), "images", kImage), QuickOptions());
        ExpectFailureNames(result, UploadStep::Upload, server_->HostAndPort(), server_->Password());
        EXPECT_EQ(server_->Read(std::string("images/") + kImage), OldImage());
        EXPECT_EQ(FolderEntries(server_->Home() + "images"), std::vector<std::string>{kImage});
        std::string part = StoredName(server_->Commands());
        EXPECT_EQ(CommandsOf({"DELE", "RNFR", "RNTO"}), std::vector<std::string>{"DELE " + part + " -> 250"});
    }
}

TEST_F(FtpServerFault, AServerThatConfirmsAFileItLostPartOfIsAFailure) {
    FtpServerSettings losing;
    losing.keepOnlyBytes = 1000;
    StartServer(losing);
    PlaceOldImage();
    UploadResult result =
        UploadFile(Request(local_.Make("p.png", BinaryBlob(256 * 1024)), "images", kImage), QuickOptions());
    ExpectFailureNames(result, UploadStep::Upload, server_->HostAndPort(), server_->Password());
    EXPECT_NE(result.error().find("the server confirmed the file but holds 1000 of its 262144 bytes"),
              std::string::npos)
        << result.error();
    EXPECT_EQ(server_->Read(std::string("images/") + kImage), OldImage());
    EXPECT_EQ(FolderEntries(server_->Home() + "images"), std::vector<std::string>{kImage});
}

TEST_F(FtpServerFault, AStalledTransferEndsAtTheLowSpeedLimitAndKeepsYielding) {
    FtpServerSettings stalling;
    stalling.stallAfterBytes = 0;
    StartServer(stalling);
    UploadOptions options = QuickOptions();
    options.limits.lowSpeedTime = std::chrono::seconds(1);
    // Passive, where libcurl's own words name the limit that ended it.
    options.dataMode = FtpDataMode::Passive;
    int yields = 0;
    options.yield = [&] { return ++yields > 0; };

    Stopwatch clock;
    // Larger than the loopback socket buffers, which take the first megabytes anyway.
    std::string path = local_.Make("big.png", BinaryBlob(48 * 1024 * 1024));
    UploadResult result = UploadFile(Request(path, "images", "big.png"), options);
    ExpectFailureNames(result, UploadStep::Upload, server_->HostAndPort(), server_->Password());
    EXPECT_NE(result.error().find("too slow"), std::string::npos) << result.error();
    // libcurl judges the speed over the last few seconds, so the stall shows late.
    EXPECT_LT(clock.Seconds(), 12);
    EXPECT_GE(yields, 10);  // one per 50 ms over at least the second of the stall
}

TEST_F(FtpServerFault, ASlowTransferEndsAtTheWholeTransferLimit) {
    FtpServerSettings slow;
    slow.readBytesPerSecond = 64 * 1024;
    StartServer(slow);
    UploadOptions options = QuickOptions();
    options.limits.transfer = std::chrono::milliseconds(2500);

    Stopwatch clock;
    UploadResult result =
        UploadFile(Request(local_.Make("p.png", BinaryBlob(4 * 1024 * 1024)), "images", "p.png"), options);
    ExpectFailureNames(result, UploadStep::Upload, server_->HostAndPort(), server_->Password());
    EXPECT_GT(clock.Seconds(), 2.0);
    EXPECT_LT(clock.Seconds(), 5.0);
}

// Servers that are not there, or never speak.
class UnreachableServer : public ::testing::Test {
protected:
    UploadRequest Request(const std::string& address) {
        return {address, "images", "user", "secret-pw", local_.Make("p.png", BinaryBlob(1000)), "p.png"};
    }
    LocalFiles local_;
};

TEST_F(UnreachableServer, AServerThatIsDownFailsAtOnce) {
    std::string address = "127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort());
    Stopwatch clock;
    ExpectFailureNames(UploadFile(Request(address), QuickOptions()), UploadStep::Connect, address, "secret-pw");
    EXPECT_LT(clock.Seconds(), 1.0);
}

TEST_F(UnreachableServer, ASilentServerFailsAtTheConnectLimit) {
    SilentListener silent;
    ASSERT_TRUE(silent.ok());
    for (const char* scheme : {"ftp://", "ftps://", "sftp://"}) {
        std::string address = "127.0.0.1:" + std::to_string(silent.Port());
        UploadOptions options = QuickOptions();
        options.limits.connect = std::chrono::milliseconds(700);
        options.hostKeyCheck = SshHostKeyCheck::DoNotCheck;
        Stopwatch clock;
        ExpectFailureNames(UploadFile(Request(scheme + address), options), UploadStep::Connect, address, "secret-pw");
        EXPECT_GT(clock.Seconds(), 0.6) << scheme;
        EXPECT_LT(clock.Seconds(), 2.5) << scheme;
    }
}

TEST_F(UnreachableServer, TheYieldRunsWhileWaitingAndCanAbandonTheUpload) {
    SilentListener silent;
    ASSERT_TRUE(silent.ok());
    UploadOptions options = QuickOptions();
    options.limits.connect = std::chrono::seconds(10);
    options.yieldInterval = std::chrono::milliseconds(40);
    int yields = 0;
    options.yield = [&] { return ++yields < 5; };

    Stopwatch clock;
    UploadResult result = UploadFile(Request("127.0.0.1:" + std::to_string(silent.Port())), options);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().step, UploadStep::Connect);
    EXPECT_NE(result.error().find("abandoned"), std::string::npos) << result.error();
    EXPECT_EQ(yields, 5);
    EXPECT_GT(clock.Seconds(), 4 * 0.04);
    EXPECT_LT(clock.Seconds(), 2.0);
}

}  // namespace
}  // namespace tidemark
