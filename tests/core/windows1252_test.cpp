#include "core/windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace tidemark {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

TEST(Windows1252, EveryByteSurvivesTheWayThroughUnicode) {
    std::u16string text = Windows1252ToUtf16(AllBytes());
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text[0x80], u'\u20AC');  // euro sign
    EXPECT_EQ(text[0x96], u'\u2013');  // en dash
    EXPECT_EQ(text[0x81], u'\u0081');  // undefined positions keep their C1 code point
    EXPECT_EQ(text[0xE9], u'\u00E9');
    EXPECT_EQ(Windows1252FromUtf16(text), AllBytes());
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Windows1252FromUtf16(u"a\u0100b"), "a?b");
    EXPECT_EQ(Windows1252FromUtf16(u"\U0001F30A"), "??");  // one per surrogate
}

TEST(Windows1252, Utf8IsDecodedAndEveryBadByteCountsOnce) {
    std::string out;
    AppendUtf8AsWindows1252("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8C\x8A", out);
    EXPECT_EQ(out, "caf\xE9 \x80 ??");
    out.clear();
    // A stray continuation byte, an overlong "/", a surrogate, a cut-off sequence.
    AppendUtf8AsWindows1252(
        "a\x80"
        "b\xC0\xAF"
        "c\xED\xA0\x80"
        "d\xE2\x82",
        out);
    EXPECT_EQ(out, "a?b??c???d??");
}

TEST(Windows1252, CaseIsIgnoredInOrderButNotOtherwise) {
    EXPECT_TRUE(LessIgnoringCase("alder", "Beaver"));
    EXPECT_TRUE(LessIgnoringCase("Abbey", "alder"));
    EXPECT_FALSE(LessIgnoringCase("ALDER", "alder"));
    EXPECT_FALSE(LessIgnoringCase("alder", "ALDER"));
    EXPECT_TRUE(LessIgnoringCase("alder", "alders"));
    EXPECT_FALSE(LessIgnoringCase("\xE9tang", "\xC9TANG"));  // accented capitals fold too
    EXPECT_EQ(Windows1252Upper(0x9A), 0x8A);
    EXPECT_EQ(Windows1252Upper(0xF7), 0xF7);  // the division sign is not a letter
}

}  // namespace
}  // namespace tidemark
