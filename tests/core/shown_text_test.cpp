// Text for terminals and window titles: every control character shown, C1 included in
// both of its forms, and printable text of any script left alone.
#include <gtest/gtest.h>

#include "core/shown_text.h"

using namespace tidemark;

TEST(ShownControls, ShowEveryControlAndLeavePrintableTextAlone) {
    EXPECT_EQ(ShownControls("a\x1b[2J\x07\tb\x7f"), "a\\x1B[2J\\x07\tb\\x7F");
    // C1 in UTF-8 (U+009B, U+0085) and the lone byte an 8-bit terminal reads as CSI.
    EXPECT_EQ(ShownControls("x\xC2\x9B"
                            "2Jy\xC2\x85"),
              "x\\xC2\\x9B2Jy\\xC2\\x85");
    EXPECT_EQ(ShownControls("x\x9B"
                            "2J\x80"),
              "x\\x9B2J\\x80");
    // Printable UTF-8 whose bytes lie in 80-9F (U+00A0, "é", "€", an emoji) and Latin-1
    // letters outside UTF-8 stay.
    const std::string printable = "\xC2\xA0\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8C\x8A D\xE9j\xE0";
    EXPECT_EQ(ShownControls(printable), printable);
    // A sequence cut short is no sequence: its lead stays, its stray byte is shown.
    EXPECT_EQ(ShownControls("\xE2\x82"), "\xE2\\x82");
    EXPECT_EQ(ShownControls(std::string("a\0b", 3)), "a\\x00b");
}
