// Uploads by FTP with explicit TLS to a private pyftpdlib server that requires TLS on
// the control and the data connections, with a certificate the test makes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/ftp_server.h"
#include "upload_fixture.h"

namespace tidemark {
namespace {

using nettest::BinaryBlob;
using nettest::ExpectFailureNames;
using nettest::LocalFiles;
using nettest::QuickOptions;
using testsupport::FtpServer;
using testsupport::TempFolder;

class FtpsUpload : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(testsupport::MakeSelfSignedCertificate(certificates_, &error)) << error;
        server_ = std::make_unique<FtpServer>(
            testsupport::FtpServerSettings{certificates_.File("cert.pem"), certificates_.File("key.pem")});
        ASSERT_TRUE(server_->Start(&error)) << error;
        ASSERT_TRUE(server_->MakeFolder("images"));
    }

    UploadRequest Request(const std::string& scheme, const std::string& bytes) {
        return {scheme + server_->HostAndPort(),
                "images",
                server_->User(),
                server_->Password(),
                local_.Make("p.png", bytes),
                "Tidemark_window.png"};
    }

    TempFolder certificates_{"tidemark-cert"};
    std::unique_ptr<FtpServer> server_;
    LocalFiles local_;
};

// Over TLS the server may still be writing the file out when the client has its reply:
// wait a little for every byte, so only an upload that lost bytes fails.
std::string ArrivedContent(const FtpServer& server, const std::string& relative, const std::string& expected) {
    std::string content;
    for (int attempt = 0; attempt < 50; ++attempt) {
        content = server.Read(relative);
        if (content == expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return content;
}

TEST_F(FtpsUpload, TheSitesOwnCertificateAsAuthorityServesBothDataModes) {
    for (FtpDataMode mode : {FtpDataMode::Active, FtpDataMode::Passive}) {
        SCOPED_TRACE(mode == FtpDataMode::Active ? "active" : "passive");
        UploadOptions options = QuickOptions();
        options.dataMode = mode;
        options.caFile = certificates_.File("cert.pem");
        std::string bytes = BinaryBlob(200 * 1024, mode == FtpDataMode::Active ? 1 : 2);
        UploadResult result = UploadFile(Request("ftps://", bytes), options);
        ASSERT_TRUE(result.ok()) << result.error();
        EXPECT_EQ(ArrivedContent(*server_, "images/Tidemark_window.png", bytes), bytes);
    }
    // The server takes no plain logins, so what arrived above came over TLS.
    EXPECT_FALSE(UploadFile(Request("ftp://", "x"), QuickOptions()).ok());
}

TEST_F(FtpsUpload, AnUntrustedCertificateIsRefusedUnlessCheckingIsTurnedOff) {
    UploadResult refused = UploadFile(Request("ftps://", "first"), QuickOptions());
    ExpectFailureNames(refused, UploadStep::Connect, server_->HostAndPort(), server_->Password());
    EXPECT_NE(refused.error().find("certificate"), std::string::npos) << refused.error();
    EXPECT_FALSE(server_->Exists("images/Tidemark_window.png"));

    UploadOptions unchecked = QuickOptions();
    unchecked.tlsPeerCheck = TlsPeerCheck::DoNotVerify;
    UploadResult accepted = UploadFile(Request("ftps://", "second"), unchecked);
    ASSERT_TRUE(accepted.ok()) << accepted.error();
    EXPECT_EQ(server_->Read("images/Tidemark_window.png"), "second");
}

}  // namespace
}  // namespace tidemark
