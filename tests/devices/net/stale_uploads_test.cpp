// Which names of a site's folder a round removes after it: only the temporary files of
// the program's own uploads that an earlier round left, as the servers list them.
#include <gtest/gtest.h>

#include "devices/net/stale_uploads.h"

namespace tidemark {
namespace {

const std::vector<std::string> kOwn = {"Tidemark_", "index.html"};
constexpr std::time_t kRoundStart = 1'800'000'000;

TEST(StaleUploads, OnlyOwnTemporaryFilesMadeBeforeTheRoundGo) {
    const std::vector<std::string> folder = {
        "Tidemark_window1.png",
        ".Tidemark_window1.png.part-1799999000-4711-0badcafe",  // an earlier round's
        ".Tidemark_window2.png.part-4711-deadbeef",             // an older program's
        ".index.html.part-1799999999-12-00000001",
        ".Tidemark_window3.png.part-1800000000-12-00000002",   // this round's own
        ".Tidemark_window4.png.part-1800000500-12-00000003",   // a later round's
        ".holiday.png.part-1799999000-4711-0badcafe",          // someone else's
        ".Tidemark_window5.png.part-17999-99-notatag",         // not a tag
        "Tidemark_window6.png.part-1799999000-4711-0badcafe",  // not hidden
        ".Tidemark_window7.png.part-1-2-3-0badcafe",
    };
    EXPECT_EQ(StaleUploadNames(folder, kOwn, kRoundStart),
              (std::vector<std::string>{".Tidemark_window1.png.part-1799999000-4711-0badcafe",
                                        ".Tidemark_window2.png.part-4711-deadbeef",
                                        ".index.html.part-1799999999-12-00000001"}));
}

// An old image set aside holds the only copy while its name has none: it stays until a
// new image holds the name again.
TEST(StaleUploads, AnOldImageSetAsideGoesOnlyOnceItsNameHoldsOneAgain) {
    const std::string aside = ".Tidemark_window1.png.old-1799999000-4711-0badcafe";
    EXPECT_TRUE(StaleUploadNames({aside}, kOwn, kRoundStart).empty());
    EXPECT_EQ(StaleUploadNames({aside, "Tidemark_window1.png"}, kOwn, kRoundStart), std::vector<std::string>{aside});
}

TEST(StaleUploads, NamesAreReadFromEachServersListing) {
    EXPECT_EQ(NamesOfMachineListing("type=cdir;modify=20240301072500; .\r\n"
                                    "type=dir;modify=20240301072500; sub\r\n"
                                    "Type=File;Size=12;modify=20240301072500; .a b.png.part-1-00000000\r\n"
                                    "modify=20240301072500;type=file;size=3; Tidemark_window1.png\r\n"),
              (std::vector<std::string>{".a b.png.part-1-00000000", "Tidemark_window1.png"}));
    EXPECT_EQ(NamesOfNameList(".\n..\n.x.part-1-00000000\r\nimages/Tidemark_window1.png\n"),
              (std::vector<std::string>{".x.part-1-00000000", "Tidemark_window1.png"}));
    const char* propfind =
        "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\">"
        "<D:response><D:href>/site/</D:href></D:response>"
        "<D:response><D:href>/site/sub/</D:href></D:response>"
        "<D:response><D:href>/site/.Tidemark_window1.png.part-1-0000000a</D:href></D:response>"
        "<D:response><D:href>http://host/site/a%20b&amp;c.png</D:href></D:response>"
        "<response xmlns=\"DAV:\"><href>/site/index.html</href></response>"
        "</D:multistatus>";
    EXPECT_EQ(NamesOfPropfind(propfind),
              (std::vector<std::string>{".Tidemark_window1.png.part-1-0000000a", "a b&c.png", "index.html"}));
}

}  // namespace
}  // namespace tidemark
