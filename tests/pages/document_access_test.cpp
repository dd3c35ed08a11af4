#include "pages/document_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

using namespace tidemark;
using tidemark::testsupport::TempFolder;
namespace fs = std::filesystem;

namespace {

// root/prog is the program folder; beside it its companions, a folder the environment
// names, one that only begins with the program folder's name, and one nobody allowed.
class DocumentAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.ok()) << root_.error();
        for (const char* folder : {"prog/sub", "Ledgerly", "Streamkeep", "Other", "extra", "prog-evil", "outside"})
            fs::create_directories(Root(folder));
        for (const char* file :
             {"prog/page.html", "prog/sub/deep.html", "prog/a b.html", "Ledgerly/l.html", "Streamkeep/s.html",
              "Other/o.html", "extra/e.html", "prog-evil/x.html", "outside/secret.html"})
            std::ofstream(Root(file)) << "x";
        fs::create_symlink(Root("outside/secret.html"), Root("prog/link.html"));
        fs::create_symlink(Root("outside"), Root("prog/outdir"));
        fs::create_symlink(Root("prog/page.html"), Root("outside/back.html"));
        fs::create_symlink(Root("prog/gone.html"), Root("prog/dangling.html"));
    }

    std::string Root(const std::string& name) const { return root_.File(name); }
    fs::path Real(const std::string& name) const { return fs::canonical(Root(name)); }
    DocumentRule Rule(const std::string& webFolders = "", const std::string& home = "/nonexistent-home") const {
        return DocumentRule(Root("prog/"), webFolders, home);
    }

    TempFolder root_{"tidemark-access"};
};

}  // namespace

TEST_F(DocumentAccessTest, FilesInsideTheProgramFolderAreShownByTheirRealPathWhateverTheSpelling) {
    DocumentRule rule = Rule();
    const fs::path page = Real("prog/page.html");
    for (const std::string& address :
         {Root("prog/page.html"), std::string("page.html"), std::string("./page.html"), std::string("sub/../page.html"),
          "  " + Root("prog/page.html") + " \t", "file://" + Root("prog/page.html"),
          "FILE://localhost" + Root("prog/page.html") + "#top", "file://" + Root("prog/page.html") + "?x=1",
          "file:" + Root("prog/page.html"), "file://" + Root("prog/%70age.html"),
          "file://" + Root("outside/back.html")}) {  // a link from outside to a file inside
        DocumentCheck check = rule.CheckAddress(address);
        EXPECT_EQ(check.access, DocumentAccess::Allowed) << address;
        EXPECT_EQ(check.path, page) << address;
        EXPECT_TRUE(check.Shown()) << address;
    }
    EXPECT_EQ(rule.CheckAddress("file://" + Root("prog/a%20b.html")).path, Real("prog/a b.html"));
    EXPECT_EQ(rule.CheckAddress("sub/deep.html").path, Real("prog/sub/deep.html"));
}

TEST_F(DocumentAccessTest, EveryWayOutOfTheFoldersIsRefused) {
    DocumentRule rule = Rule();
    const fs::path secret = Real("outside/secret.html");
    for (const std::string& address :
         {Root("outside/secret.html"), "file://" + Root("outside/secret.html"), std::string("../outside/secret.html"),
          std::string("sub/../../outside/secret.html"), std::string("link.html"), std::string("outdir/secret.html"),
          "file://" + Root("prog/link.html"), "file://" + Root("prog/%2e%2e/outside/secret.html"),
          "file://" + Root("prog\\..\\outside\\secret.html"), "view-source:file://" + Root("outside/secret.html"),
          " \tfile://" + Root("outside/secret.html")}) {
        DocumentCheck check = rule.CheckAddress(address);
        EXPECT_EQ(check.access, DocumentAccess::Outside) << address;
        EXPECT_EQ(check.path, secret) << address;
        EXPECT_FALSE(check.Shown()) << address;
    }
    EXPECT_EQ(rule.CheckAddress("/etc/passwd").access, DocumentAccess::Outside);
    EXPECT_EQ(rule.CheckAddress("file:///dev/zero").access, DocumentAccess::Outside);
    // A folder whose name only begins with the program folder's is another folder.
    EXPECT_EQ(rule.CheckAddress(Root("prog-evil/x.html")).access, DocumentAccess::Outside);
    // A file of another machine is not one of the allowed folders' either.
    EXPECT_FALSE(rule.CheckAddress("file://server" + Root("prog/page.html")).Shown());
}

TEST_F(DocumentAccessTest, CompanionFoldersAndTheFoldersTheEnvironmentNamesAreAllowed) {
    EXPECT_EQ(Rule().CheckAddress("../Ledgerly/l.html").access, DocumentAccess::Allowed);
    EXPECT_EQ(Rule().CheckAddress(Root("Streamkeep/s.html")).access, DocumentAccess::Allowed);
    EXPECT_EQ(Rule().CheckAddress("../Other/o.html").access, DocumentAccess::Outside);
    EXPECT_EQ(Rule().CheckAddress(Root("extra/e.html")).access, DocumentAccess::Outside);

    // Empty entries do not mean the current folder; relative ones are the program folder's.
    DocumentRule named = Rule("::" + Root("extra") + "::../Other/:" + Root("missing"));
    EXPECT_EQ(named.CheckAddress(Root("extra/e.html")).access, DocumentAccess::Allowed);
    EXPECT_EQ(named.CheckAddress("file://" + Root("Other/o.html")).access, DocumentAccess::Allowed);
    EXPECT_EQ(named.CheckAddress(Root("outside/secret.html")).access, DocumentAccess::Outside);
    EXPECT_EQ(named.Folders().size(), 5u);  // the missing one left out

    // A named folder reached through a link counts by its real path.
    EXPECT_EQ(Rule(Root("prog/outdir")).CheckAddress("link.html").access, DocumentAccess::Allowed);
}

TEST_F(DocumentAccessTest, OnlyRegularFilesThatExistAreShown) {
    DocumentRule rule = Rule();
    EXPECT_EQ(rule.CheckAddress("sub").access, DocumentAccess::NotRegularFile);
    EXPECT_EQ(rule.CheckAddress(Root("prog/")).access, DocumentAccess::NotRegularFile);
    ASSERT_EQ(::mkfifo(Root("prog/pipe").c_str(), 0600), 0);
    EXPECT_EQ(rule.CheckAddress("pipe").access, DocumentAccess::NotRegularFile);
    EXPECT_EQ(rule.CheckAddress("dangling.html").access, DocumentAccess::NotFound);
    DocumentCheck missing = rule.CheckAddress(Root("prog/sub/../missing.html"));
    EXPECT_EQ(missing.access, DocumentAccess::NotFound);
    EXPECT_EQ(missing.path, fs::path(Root("prog/missing.html")));
    EXPECT_EQ(rule.CheckAddress("../missing.html").access, DocumentAccess::NotFound);
}

TEST_F(DocumentAccessTest, HomeFolderPathsAreLocalAndWebAddressesAreNot) {
    EXPECT_EQ(Rule("", Root("prog")).CheckAddress("~/page.html").access, DocumentAccess::Allowed);
    EXPECT_EQ(Rule("", Root("outside")).CheckAddress("~/secret.html").access, DocumentAccess::Outside);
    DocumentRule rule = Rule();
    for (const char* address : {"http://example.org/x.html", "HTTPS://example.org/", "about:blank",
                                "data:text/html,<p>hi</p>", "www.example.org/page.html", "", "   "}) {
        DocumentCheck check = rule.CheckAddress(address);
        EXPECT_EQ(check.access, DocumentAccess::NotLocal) << address;
        EXPECT_TRUE(check.Shown()) << address;
    }
}

TEST(DocumentRefusalTest, TheNoticeNamesTheAddressItsRealPathAndTheReasonEscaped) {
    DocumentCheck check{DocumentAccess::Outside, "/tmp/<b>&\"x\".html"};
    std::string html = RefusalPageHtml(" /data/<script>alert(1)</script>.html ", check);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("/data/&lt;script&gt;alert(1)&lt;/script&gt;.html"), std::string::npos) << html;
    EXPECT_NE(html.find("/tmp/&lt;b&gt;&amp;&quot;x&quot;.html"), std::string::npos) << html;
    EXPECT_NE(html.find("outside the folders web screens may show"), std::string::npos);
    EXPECT_EQ(RefusalMessage(" /x ", {DocumentAccess::NotFound, "/x"}), "Web screen /x not shown: it was not found");
    EXPECT_EQ(RefusalMessage("/d", {DocumentAccess::NotRegularFile, "/d"}),
              "Web screen /d not shown: it is not a regular file");
}
