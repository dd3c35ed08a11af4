// Uploads by HTTPS to a private nginx WebDAV server: PUT under a part name, then MOVE
// onto the name; the file arrives byte for byte; a wrong password, an untrusted
// certificate, a stopped server and a silent one each fail in bounded time.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "devices/net/ftp_client.h"
#include "devices/net/upload_fixture.h"
#include "support/loopback.h"
#include "support/reply_dav_server.h"
#include "support/webdav_server.h"

namespace tidemark {
namespace {

using nettest::BinaryBlob;
using nettest::ExpectFailureNames;
using nettest::FolderEntries;
using nettest::LocalFiles;
using nettest::PlaceFile;
using nettest::QuickOptions;
using nettest::Stopwatch;

class WebDavUpload : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server_.Start(&error)) << error;
    }

    UploadRequest Request(const std::string& folder, const std::string& path, const std::string& remote) const {
        return {server_.Address(), folder, server_.User(), server_.Password(), path, remote};
    }

    UploadOptions Trusting() const {
        UploadOptions options = QuickOptions();
        options.caFile = server_.CaFile();
        return options;
    }

    testsupport::WebDavServer server_;
    LocalFiles files_;
};

TEST_F(WebDavUpload, AFileArrivesWholeUnderItsNameAndReplacesTheOldOne) {
    const std::string blob = BinaryBlob(300'000);
    std::string path = files_.Make("Tidemark_window1.png", blob);
    UploadResult first = UploadFile(Request("", path, "Tidemark_window1.png"), Trusting());
    ASSERT_TRUE(first) << first.error();
    EXPECT_EQ(server_.Read("Tidemark_window1.png"), blob);

    // Into a folder of the site, over an older file; no part file stays behind.
    PlaceFile(server_.Root() + "old.png", "old");
    ASSERT_TRUE(UploadFile(Request("", files_.Make("a.png", "a"), "old.png"), Trusting()));
    EXPECT_EQ(server_.Read("old.png"), "a");
    const std::string page = "<!DOCTYPE html>\r\n<title>x</title>\n";
    UploadResult nested =
        UploadFile(Request("/river pages", files_.Make("index.html", page), "index.html"), Trusting());
    ASSERT_TRUE(nested) << nested.error();
    EXPECT_EQ(server_.Read("river pages/index.html"), page);
    EXPECT_EQ(FolderEntries(server_.Root() + "river pages"), std::vector<std::string>{"index.html"});

    // Each went up under a part name, was checked and then moved onto its name.
    std::vector<std::string> requests = server_.Requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0].rfind("PUT /.Tidemark_window1.png.part-", 0), 0u) << requests[0];
    EXPECT_EQ(requests[0].substr(requests[0].size() - 4), " 201");
    EXPECT_EQ(requests[1].rfind("HEAD /.Tidemark_window1.png.part-", 0), 0u) << requests[1];
    EXPECT_EQ(requests[2].rfind("MOVE /.Tidemark_window1.png.part-", 0), 0u) << requests[2];
}

TEST_F(WebDavUpload, AWrongPasswordFailsAtTheLoginAndLeavesTheOldFile) {
    PlaceFile(server_.Root() + "p.png", "old");
    UploadRequest request = Request("", files_.Make("p.png", "new"), "p.png");
    request.password = "not the password";
    Stopwatch clock;
    UploadResult result = UploadFile(request, Trusting());
    ExpectFailureNames(result, UploadStep::Login, "127.0.0.1:" + std::to_string(server_.Port()), request.password);
    EXPECT_LT(clock.Seconds(), 10);
    EXPECT_EQ(server_.Read("p.png"), "old");
    EXPECT_EQ(FolderEntries(server_.Root()), std::vector<std::string>{"p.png"});
}

TEST_F(WebDavUpload, AnUntrustedCertificateIsRefusedUnlessCheckingIsTurnedOff) {
    std::string path = files_.Make("p.png", "bytes");
    UploadResult refused = UploadFile(Request("", path, "p.png"), QuickOptions());
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.fault().step, UploadStep::Connect) << refused.error();
    EXPECT_FALSE(server_.Exists("p.png"));
    UploadOptions unchecked = QuickOptions();
    unchecked.tlsPeerCheck = TlsPeerCheck::DoNotVerify;
    UploadResult sent = UploadFile(Request("", path, "p.png"), unchecked);
    ASSERT_TRUE(sent) << sent.error();
    EXPECT_EQ(server_.Read("p.png"), "bytes");
}

TEST_F(WebDavUpload, AStoppedOrSilentServerFailsWithinTheLimits) {
    std::string path = files_.Make("p.png", BinaryBlob(1000));
    server_.Stop();
    for (int port : {server_.Port(), testsupport::FreeLoopbackPort()}) {
        Stopwatch clock;
        UploadRequest request = Request("", path, "p.png");
        request.address = "https://127.0.0.1:" + std::to_string(port);
        UploadResult result = UploadFile(request, Trusting());
        ExpectFailureNames(result, UploadStep::Connect, "127.0.0.1:" + std::to_string(port), request.password);
        EXPECT_LT(clock.Seconds(), 5);
    }
    testsupport::SilentListener silent;
    ASSERT_TRUE(silent.ok());
    Stopwatch clock;
    UploadRequest request = Request("", path, "p.png");
    request.address = "https://127.0.0.1:" + std::to_string(silent.Port());
    UploadResult result = UploadFile(request, Trusting());
    ExpectFailureNames(result, UploadStep::Connect, "127.0.0.1:" + std::to_string(silent.Port()), request.password);
    EXPECT_LT(clock.Seconds(), 10);
}

// A server that answers every request with an HTML page (as Apache and rclone do): the
// pages stay off standard output, and a file the server will not store is told as the
// upload's refusal with the server's status, not as a failed log-in.
TEST(WebDavReplies, RepliesWithBodiesStayOffStandardOutputAndARefusalNamesItsStep) {
    testsupport::ReplyingDavServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    server.Refuse({"refused.png"});
    LocalFiles files;
    const std::string blob = BinaryBlob(20'000);
    UploadRequest request{server.Address(), "", server.User(), server.Password(), files.Make("a.png", blob), "a.png"};

    ::testing::internal::CaptureStdout();
    UploadResult first = UploadFile(request, QuickOptions());
    UploadResult again = UploadFile(request, QuickOptions());
    request.remoteName = "refused.png";
    PlaceFile(server.Root() + "refused.png", "old");
    UploadResult refused = UploadFile(request, QuickOptions());
    std::fflush(stdout);
    const std::string printed = ::testing::internal::GetCapturedStdout();

    ASSERT_TRUE(first) << first.error();
    ASSERT_TRUE(again) << again.error();
    EXPECT_EQ(server.Read("a.png"), blob);
    EXPECT_EQ(printed, "");
    // The server did send its pages: the PUT and the first MOVE were answered with one.
    std::vector<std::string> requests = server.Requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0].substr(requests[0].size() - 4), " 201") << requests[0];

    ExpectFailureNames(refused, UploadStep::Upload, "127.0.0.1", server.Password());
    EXPECT_NE(refused.error().find("403 Forbidden"), std::string::npos) << refused.error();
    EXPECT_EQ(refused.error().find("logging in"), std::string::npos) << refused.error();
    EXPECT_EQ(server.Read("refused.png"), "old");
}

}  // namespace
}  // namespace tidemark
