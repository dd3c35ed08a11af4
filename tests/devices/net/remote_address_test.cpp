// Reading the typed web site address, and the URL a file is sent to.
#include <gtest/gtest.h>

#include "devices/net/remote_address.h"

namespace tidemark {
namespace {

RemoteAddress Parsed(const std::string& typed) {
    Result<RemoteAddress> parsed = ParseRemoteAddress(typed);
    if (!parsed) ADD_FAILURE() << typed << ": " << parsed.error();
    return parsed.value_or(RemoteAddress{});
}

std::string Refusal(const std::string& typed) {
    Result<RemoteAddress> parsed = ParseRemoteAddress(typed);
    EXPECT_FALSE(parsed) << typed << " was accepted";
    return parsed.error();
}

void ExpectAddress(const std::string& typed, RemoteProtocol protocol, const std::string& host, int port) {
    RemoteAddress address = Parsed(typed);
    EXPECT_EQ(address.protocol, protocol) << typed;
    EXPECT_EQ(address.host, host) << typed;
    EXPECT_EQ(address.port, port) << typed;
}

TEST(RemoteAddress, HostsPortsAndSchemesAsTyped) {
    ExpectAddress("ftp.example.org", RemoteProtocol::Ftp, "ftp.example.org", 21);
    ExpectAddress("  ftp.example.org \t", RemoteProtocol::Ftp, "ftp.example.org", 21);
    ExpectAddress("ftp.example.org:2121", RemoteProtocol::Ftp, "ftp.example.org", 2121);
    ExpectAddress("FTP://Example.org/", RemoteProtocol::Ftp, "Example.org", 21);
    ExpectAddress("ftp://10.0.0.5:990", RemoteProtocol::Ftp, "10.0.0.5", 990);
    // Explicit TLS stays on the FTP port.
    ExpectAddress("ftps://example.org", RemoteProtocol::Ftps, "example.org", 21);
    ExpectAddress("ftps://example.org:8021", RemoteProtocol::Ftps, "example.org", 8021);
    ExpectAddress("sftp://example.org", RemoteProtocol::Sftp, "example.org", 22);
    ExpectAddress("SFTP://example.org:2222//", RemoteProtocol::Sftp, "example.org", 2222);
    ExpectAddress("[::1]:2121", RemoteProtocol::Ftp, "::1", 2121);
    ExpectAddress("sftp://[fe80::1]", RemoteProtocol::Sftp, "fe80::1", 22);
    ExpectAddress("fe80::1", RemoteProtocol::Ftp, "fe80::1", 21);
    // WebDAV sites on the web ports unless given.
    ExpectAddress("https://www.example.org", RemoteProtocol::Https, "www.example.org", 443);
    ExpectAddress("HTTP://example.org:8080/", RemoteProtocol::Http, "example.org", 8080);
}

TEST(RemoteAddress, RefusesWhatItWouldHaveToGuess) {
    EXPECT_NE(Refusal("").find("No web site address"), std::string::npos);
    EXPECT_NE(Refusal("gopher://example.org").find("gopher://"), std::string::npos);
    EXPECT_NE(Refusal("https://example.org/dav").find("folder"), std::string::npos);
    EXPECT_NE(Refusal("ftp://example.org/images").find("folder"), std::string::npos);
    EXPECT_NE(Refusal("ftp://user@example.org").find("user name"), std::string::npos);
    for (const char* port : {"example.org:", "example.org:0", "example.org:65536", "example.org:21x", "[::1]:"})
        EXPECT_NE(Refusal(port).find("port"), std::string::npos) << port;
    Refusal("[::1");
    Refusal("ftp://:21");
    Refusal("ftp://");
    Refusal("exa mple.org");
}

TEST(RemoteAddress, EscapesEverySegmentCharacterButTheUnreserved) {
    EXPECT_EQ(EscapePathSegment("Tidemark_window4.png"), "Tidemark_window4.png");
    EXPECT_EQ(EscapePathSegment("a-b.c_d~e"), "a-b.c_d~e");
    EXPECT_EQ(EscapePathSegment("my images"), "my%20images");
    EXPECT_EQ(EscapePathSegment("#?%/;@:+"), "%23%3F%25%2F%3B%40%3A%2B");
    EXPECT_EQ(EscapePathSegment("\xC3\xA9\r\n"), "%C3%A9%0D%0A");
}

TEST(RemoteAddress, FileUrlsPerProtocol) {
    RemoteAddress ftp{RemoteProtocol::Ftp, "example.org", 21};
    EXPECT_EQ(RemoteFileUrl(ftp, "", "page.png"), "ftp://example.org:21/page.png");
    EXPECT_EQ(RemoteFileUrl(ftp, "images", "page 1.png"), "ftp://example.org:21/images/page%201.png");
    EXPECT_EQ(RemoteFileUrl(ftp, "web site//my images/", "a/b.png"),
              "ftp://example.org:21/web%20site/my%20images/a/b.png");
    // From the root: one encoded "/" at the start of the first segment.
    EXPECT_EQ(RemoteFileUrl(ftp, "/www/images", "p.png"), "ftp://example.org:21/%2Fwww/images/p.png");
    EXPECT_EQ(RemoteFileUrl({RemoteProtocol::Ftps, "::1", 2121}, "x", "p.png"), "ftp://[::1]:2121/x/p.png");

    RemoteAddress sftp{RemoteProtocol::Sftp, "example.org", 22};
    EXPECT_EQ(RemoteFileUrl(sftp, "", "page.png"), "sftp://example.org:22/~/page.png");
    EXPECT_EQ(RemoteFileUrl(sftp, "my images", "p.png"), "sftp://example.org:22/~/my%20images/p.png");
    EXPECT_EQ(RemoteFileUrl(sftp, "/var/www", "p.png"), "sftp://example.org:22/var/www/p.png");

    // HTTP paths start at the site's root whether or not the folder says so.
    RemoteAddress https{RemoteProtocol::Https, "example.org", 443};
    EXPECT_EQ(RemoteFileUrl(https, "", "index.html"), "https://example.org:443/index.html");
    EXPECT_EQ(RemoteFileUrl(https, "/dav/my pages", "p.png"), "https://example.org:443/dav/my%20pages/p.png");
    EXPECT_EQ(RemoteFolderUrl({RemoteProtocol::Http, "::1", 8080}, "dav", ""), "http://[::1]:8080/dav/");
}

// Where the finishing commands run and what they name must match where the file was
// sent: the same folder, from the root or from the login directory.
TEST(RemoteAddress, FolderUrlsAndServerPathsMatchTheFileUrls) {
    RemoteAddress ftp{RemoteProtocol::Ftp, "example.org", 21};
    EXPECT_EQ(RemoteFolderUrl(ftp, "", ""), "ftp://example.org:21/");
    EXPECT_EQ(RemoteFolderUrl(ftp, "web site/", "a"), "ftp://example.org:21/web%20site/a/");
    EXPECT_EQ(RemoteFolderUrl(ftp, "/www", ""), "ftp://example.org:21/%2Fwww/");

    RemoteAddress sftp{RemoteProtocol::Sftp, "example.org", 22};
    EXPECT_EQ(RemoteFolderUrl(sftp, "", ""), "sftp://example.org:22/~/");
    EXPECT_EQ(RemoteFolderUrl(sftp, "/var/www", ""), "sftp://example.org:22/var/www/");

    EXPECT_EQ(ServerPath("", "p.png"), "p.png");
    EXPECT_EQ(ServerPath("my images//", "a/p 1.png"), "my images/a/p 1.png");
    EXPECT_EQ(ServerPath("/var/www/", "p.png"), "/var/www/p.png");

    EXPECT_EQ(PartFileName("Tidemark_window4.png", "12-ab"), ".Tidemark_window4.png.part-12-ab");
    EXPECT_EQ(PartFileName("a/b/p.png", "1"), "a/b/.p.png.part-1");
}

}  // namespace
}  // namespace tidemark
