#include "pages/document_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(DocumentRefusalTest, TheNoticeNamesTheAddressAsWrittenAndTheReasonEscapedNeverWhereALinkLed) {
    DocumentCheck check{DocumentAccess::Outside, "/proc/7314/environ"};
    std::string html = RefusalPageHtml(" /data/<script>alert(1)</script>.html ", check);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("/data/&lt;script&gt;alert(1)&lt;/script&gt;.html"), std::string::npos) << html;
    EXPECT_EQ(html.find("/proc/7314"), std::string::npos) << html;
    EXPECT_NE(html.find("outside the folders web screens may show"), std::string::npos);
    EXPECT_EQ(RefusalMessage(" /x ", {DocumentAccess::NotFound, "/x"}), "Web screen /x not shown: it was not found");
    EXPECT_EQ(RefusalMessage("/d", {DocumentAccess::NotRegularFile, "/d"}),
              "Web screen /d not shown: it is not a regular file");
}

TEST_F(DocumentAccessTest, ABareNameIsAFileOfTheProgramFolderThereOrNot) {
    DocumentRule rule = Rule();
    for (const char* name : {"missing_notes.html", "nothere3.pdf", "reports/nothere4.html", "example.org"}) {
        DocumentCheck check = rule.CheckAddress(name);
        EXPECT_EQ(check.access, DocumentAccess::NotFound) << name;
        EXPECT_EQ(check.path, fs::path(Root("prog/") + name)) << name;
    }
}

TEST_F(DocumentAccessTest, FoldersThatOpenEverythingAreRefusedAndTold) {
    fs::create_directories(Root("home/user/Tidemark"));
    fs::create_symlink("/", Root("rootlink"));
    // A companion folder that is a link to the root.
    fs::remove_all(Root("Ledgerly"));
    fs::create_symlink("/", Root("Ledgerly"));
    const std::string home = Root("home/user");
    fs::create_directories(home + "/notes");
    DocumentRule rule(Root("prog/"), "/:" + Root("rootlink") + ":" + Root("home") + ":" + home + ":~/notes:~other/x",
                      home);
    std::vector<std::string> refused;
    for (const RefusedFolder& folder : rule.RefusedFolders()) refused.push_back(folder.entry);
    EXPECT_EQ(refused,
              (std::vector<std::string>{"../Ledgerly", "/", Root("rootlink"), Root("home"), home, "~other/x"}));
    EXPECT_EQ(RefusedFolderMessage(rule.RefusedFolders()[1]),
              "Web folder / not used: it opens / and every file below it");
    // "~/notes" is the home's notes folder; the program folder and the other companion stay.
    EXPECT_EQ(rule.Folders(),
              (std::vector<fs::path>{Real("prog"), Real("Streamkeep"), fs::canonical(home + "/notes")}));
    EXPECT_EQ(rule.CheckAddress("/etc/passwd").access, DocumentAccess::Outside);
}

TEST_F(DocumentAccessTest, TheOpenedFileIsCheckedAndReadNotItsName) {
    DocumentRule rule = Rule();
    std::ofstream(Root("prog/inside.txt")) << "inside";
    std::ofstream(Root("outside/secret.txt")) << "SECRET";
    fs::create_symlink(Root("prog/inside.txt"), Root("prog/flip.txt"));

    OpenedDocument opened = rule.Open(Root("prog/flip.txt"));
    ASSERT_TRUE(opened.IsOpen());
    EXPECT_EQ(opened.RealPath(), Real("prog/inside.txt"));
    // The link turned outside after the open: what is read is still the file checked.
    fs::remove(Root("prog/flip.txt"));
    fs::create_symlink(Root("outside/secret.txt"), Root("prog/flip.txt"));
    EXPECT_EQ(opened.Read(1024).value_or(""), "inside");
    EXPECT_EQ(opened.Head(3), "ins");
    // ... and opened again, the outside file is refused.
    EXPECT_EQ(rule.Open(Root("prog/flip.txt")).Access(), OpenedAccess::Outside);

    // Larger than the bound: a fault, not a part of the file.
    EXPECT_EQ(opened.Read(3).error(), "it is larger than 0 MB");
    EXPECT_EQ(rule.Open(Root("prog/missing.txt")).Access(), OpenedAccess::NotFound);
    EXPECT_EQ(rule.Open(Root("prog/sub")).Access(), OpenedAccess::NotRegularFile);
    // A pipe is refused without waiting for a writer.
    ASSERT_EQ(::mkfifo(Root("prog/pipe").c_str(), 0600), 0);
    EXPECT_EQ(rule.Open(Root("prog/pipe")).Access(), OpenedAccess::NotRegularFile);
}

TEST_F(DocumentAccessTest, AFileOfAnotherUserWithFurtherHardLinksIsRefused) {
    DocumentRule rule = Rule();
    std::ofstream(Root("outside/shadow.txt")) << "SECRET";
    fs::create_hard_link(Root("outside/shadow.txt"), Root("prog/linked.txt"));
    // The program's own user's file with two names is the user's to show.
    EXPECT_TRUE(rule.Open(Root("prog/linked.txt")).IsOpen());
    // Only root can give a file away; elsewhere the case above is all there is to see.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(Root("prog/linked.txt").c_str(), 65534, 65534), 0);
        EXPECT_EQ(rule.Open(Root("prog/linked.txt")).Access(), OpenedAccess::SharedLink);
        fs::remove(Root("outside/shadow.txt"));
        // With one name left it can only be the file inside.
        EXPECT_TRUE(rule.Open(Root("prog/linked.txt")).IsOpen());
    }
}
