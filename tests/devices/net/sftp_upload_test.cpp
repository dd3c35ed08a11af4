// Uploads by SFTP to a private sshd: password and key logins, the host key checked
// against a known-hosts file unless checking is explicitly given up, and the image put in
// place as the server's log of requests shows it: in one step, or in two renames where
// the server refuses that, never by removing the old one first.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/child_process.h"
#include "support/ssh_server.h"
#include "upload_fixture.h"

namespace tidemark {
namespace {

using nettest::BinaryBlob;
using nettest::ExpectFailureNames;
using nettest::FolderEntries;
using nettest::LocalFiles;
using nettest::QuickOptions;
using nettest::Stopwatch;
using testsupport::ReadWholeFile;
using testsupport::SshServer;

class SftpUpload : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server_.Start(&error)) << error;
        ASSERT_EQ(mkdir((server_.LoginDirectory() + "images").c_str(), 0755), 0);
    }

    UploadRequest Request(const std::string& folder, const std::string& bytes) {
        return {"sftp://" + server_.HostAndPort(),
                folder,
                server_.User(),
                server_.Password(),
                local_.Make("p.png", bytes),
                "Tidemark_window.png"};
    }
    UploadOptions Checked(const std::string& knownHosts) {
        UploadOptions options = QuickOptions();
        options.knownHostsFile = knownHosts;
        return options;
    }
    std::string Arrived(const std::string& relative) { return ReadWholeFile(server_.LoginDirectory() + relative); }

    SshServer server_;
    LocalFiles local_;
};

TEST_F(SftpUpload, APasswordLoginDeliversIntoTheFolderOrTheLoginDirectory) {
    // Password logins need a private mount namespace for the test's own password file.
    ASSERT_TRUE(server_.PasswordLogin()) << "sshd could not be given a test password here";
    std::string bytes = BinaryBlob(200 * 1024);
    UploadResult result = UploadFile(Request("images", bytes), Checked(server_.KnownHostsFile()));
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(Arrived("images/Tidemark_window.png"), bytes);

    result = UploadFile(Request("", "short"), Checked(server_.KnownHostsFile()));
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(Arrived("Tidemark_window.png"), "short");
}

TEST_F(SftpUpload, AKeyLoginWorksAndAWrongPasswordFailsAtLogin) {
    UploadOptions options = Checked(server_.KnownHostsFile());
    UploadRequest wrong = Request("images", "bytes");
    wrong.password = "not the password";
    ExpectFailureNames(UploadFile(wrong, options), UploadStep::Login, server_.HostAndPort(), wrong.password);

    options.privateKeyFile = server_.PrivateKeyFile();
    UploadResult result = UploadFile(Request("images", "bytes"), options);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(Arrived("images/Tidemark_window.png"), "bytes");
}

// Every request the server logged about the image's own name, in order.
std::vector<std::string> RequestsOn(const SshServer& server, const std::string& name) {
    std::vector<std::string> found;
    for (const std::string& request : server.SftpRequests())
        if (request.find("\"" + name + "\"") != std::string::npos) found.push_back(request);
    return found;
}

// The server offers posix-rename@openssh.com: the new image takes the name in one step,
// and the name is never removed.
TEST_F(SftpUpload, AnImageReplacesTheOldOneInOneStepAndLeavesNoPartFile) {
    UploadOptions options = Checked(server_.KnownHostsFile());
    options.privateKeyFile = server_.PrivateKeyFile();
    std::string first = BinaryBlob(300 * 1024, 1);
    std::string second = BinaryBlob(20 * 1024, 2);
    for (const std::string& bytes : {first, second}) {
        UploadResult result = UploadFile(Request("images", bytes), options);
        ASSERT_TRUE(result.ok()) << result.error() << testing::PrintToString(server_.SftpRequests());
        EXPECT_FALSE(result->replacedInSteps);
        EXPECT_EQ(Arrived("images/Tidemark_window.png"), bytes);
        EXPECT_EQ(FolderEntries(server_.LoginDirectory() + "images"), std::vector<std::string>{"Tidemark_window.png"});
    }
    std::vector<std::string> onImage = RequestsOn(server_, "images/Tidemark_window.png");
    ASSERT_EQ(onImage.size(), 2u) << testing::PrintToString(server_.SftpRequests());
    for (const std::string& request : onImage) {
        EXPECT_EQ(request.rfind("posix-rename old \"images/.Tidemark_window.png.part-", 0), 0u) << request;
        EXPECT_NE(request.find(" new \"images/Tidemark_window.png\""), std::string::npos) << request;
    }
}

// A server that offers no one-step replace (here: OpenSSH's told to refuse it): the old
// image is renamed aside just before the new one takes its name, and removed after; the
// name is never removed, and the upload says that it went in steps.
TEST(SftpUploadInSteps, TheOldImageIsRenamedAsideNeverRemovedFirst) {
    SshServer server("posix-rename");
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    LocalFiles local;
    UploadOptions options = QuickOptions();
    options.knownHostsFile = server.KnownHostsFile();
    options.privateKeyFile = server.PrivateKeyFile();
    auto send = [&](const std::string& bytes) {
        return UploadFile({"sftp://" + server.HostAndPort(), "", server.User(), server.Password(),
                           local.Make("p.png", bytes), "Tidemark_window.png"},
                          options);
    };
    // No image yet: a plain rename puts the first one in place.
    UploadResult first = send("first");
    ASSERT_TRUE(first.ok()) << first.error();
    EXPECT_FALSE(first->replacedInSteps);
    UploadResult second = send("second");
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_TRUE(second->replacedInSteps);
    EXPECT_EQ(ReadWholeFile(server.LoginDirectory() + "Tidemark_window.png"), "second");
    EXPECT_EQ(FolderEntries(server.LoginDirectory()), std::vector<std::string>{"Tidemark_window.png"});

    std::vector<std::string> onImage = RequestsOn(server, "Tidemark_window.png");
    ASSERT_GE(onImage.size(), 4u) << testing::PrintToString(server.SftpRequests());
    for (const std::string& request : onImage) EXPECT_EQ(request.find("remove"), std::string::npos) << request;
    // The last three: the plain rename the server refused, the old image aside, the new
    // one in its place (the refused one-step replace is refused before it is logged).
    const size_t n = onImage.size();
    EXPECT_EQ(onImage[n - 3].rfind("rename old \".Tidemark_window.png.part-", 0), 0u) << onImage[n - 3];
    EXPECT_EQ(onImage[n - 2].rfind("rename old \"Tidemark_window.png\" new \".Tidemark_window.png.old-", 0), 0u)
        << onImage[n - 2];
    EXPECT_EQ(onImage[n - 1].rfind("rename old \".Tidemark_window.png.part-", 0), 0u) << onImage[n - 1];
}

// A name the file cannot be renamed onto (a folder that is not empty): the failure is
// told at its step and the part file is taken away.
TEST_F(SftpUpload, AFailedRenameRemovesThePartFile) {
    std::string blocking = server_.LoginDirectory() + "images/Tidemark_window.png";
    ASSERT_EQ(mkdir(blocking.c_str(), 0755), 0);
    nettest::PlaceFile(blocking + "/keep", "kept");
    UploadOptions options = Checked(server_.KnownHostsFile());
    options.privateKeyFile = server_.PrivateKeyFile();
    ExpectFailureNames(UploadFile(Request("images", BinaryBlob(5000)), options), UploadStep::Replace,
                       server_.HostAndPort(), server_.Password());
    EXPECT_EQ(FolderEntries(server_.LoginDirectory() + "images"), std::vector<std::string>{"Tidemark_window.png"});
    EXPECT_EQ(Arrived("images/Tidemark_window.png/keep"), "kept");
}

TEST_F(SftpUpload, AMissingFolderFailsAtTheFolderStep) {
    UploadOptions options = Checked(server_.KnownHostsFile());
    options.privateKeyFile = server_.PrivateKeyFile();
    ExpectFailureNames(UploadFile(Request("no such folder", "x"), options), UploadStep::Folder, server_.HostAndPort(),
                       server_.Password());
}

TEST_F(SftpUpload, TheHostKeyMustBeKnownUnlessCheckingIsGivenUp) {
    UploadOptions stranger = Checked(server_.StrangerKnownHostsFile());
    stranger.privateKeyFile = server_.PrivateKeyFile();
    ExpectFailureNames(UploadFile(Request("images", "x"), stranger), UploadStep::Connect, server_.HostAndPort(),
                       server_.Password());

    UploadOptions none = stranger;
    none.knownHostsFile.clear();
    Stopwatch clock;
    UploadResult refused = UploadFile(Request("images", "x"), none);
    ExpectFailureNames(refused, UploadStep::Connect, server_.HostAndPort(), server_.Password());
    EXPECT_NE(refused.error().find("known-hosts"), std::string::npos) << refused.error();
    EXPECT_LT(clock.Seconds(), 0.5);
    EXPECT_EQ(Arrived("images/Tidemark_window.png"), "");

    UploadOptions unchecked = none;
    unchecked.hostKeyCheck = SshHostKeyCheck::DoNotCheck;
    UploadResult accepted = UploadFile(Request("images", "unchecked"), unchecked);
    ASSERT_TRUE(accepted.ok()) << accepted.error();
    EXPECT_EQ(Arrived("images/Tidemark_window.png"), "unchecked");
}

}  // namespace
}  // namespace tidemark
