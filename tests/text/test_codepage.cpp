// Conversions between UTF-8 / UTF-16 and code page 936 (glibc's table, which is Windows').
#include <gtest/gtest.h>

#include <string>

#include "text/codepage.h"

namespace varneth {
namespace {

TEST(CodePage, Utf8ToLocalText) {
    const struct {
        std::string utf8;
        const char* local;
        const char* why;
    } cases[] = {
        {"", "", "empty body"},
        {"<a href=\"x.htm\">", "<a href=\"x.htm\">", "ASCII unchanged"},
        {"\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4", "中文"},
        {"\xE2\x82\xAC", "\x80", "the euro sign is the single byte 0x80"},
        {"\xE3\x80\x80", "\xA1\xA1", "the ideographic space"},
        {"\xC4\x81", "\xA8\xA1", "a two-byte UTF-8 character (a with macron)"},
        {"a\xED\x95\x9C"
         "b",
         "a?b", "Hangul, which code page 936 lacks"},
        {"\xF0\x9F\x98\x80", "?", "a character beyond the BMP is one \"?\""},
        {"\xC4\x80\xE4\xB8\xAD", "?\xD6\xD0", "A with macron lacks; the next one converts"},
        {"a\xFF"
         "b",
         "a?b", "an invalid byte becomes U+FFFD, which becomes \"?\""},
        {"\xE4\xB8", "?", "a sequence cut off at the end"},
        {"\xE4\xB8"
         "a",
         "?a", "a cut-off sequence before ASCII"},
        {"\xC0\xAF", "??", "an overlong form: two bad bytes"},
        {"\xED\xA0\x80", "???", "an encoded surrogate"},
        {std::string("ab\0cd", 5), "ab", "cut at the first zero byte"},
        {std::string("\0ab", 3), "", "a zero byte first"},
        {std::string("\xE4\xB8\0\xE4\xB8\xAD", 6), "?", "a cut-off sequence before the zero byte"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToLocalText(c.utf8), Text(c.local)) << c.why;
        EXPECT_EQ(Utf8ToLocalText(Bytes(c.utf8)), Text(c.local)) << c.why;
    }
    EXPECT_EQ(Local("#引号"), Text("#\xD2\xFD\xBA\xC5"));
}

TEST(CodePage, LargeMixedTextConvertsInOnePiece) {
    // Large enough to cross any inner buffer, with the odd characters spread through it.
    std::string utf8;
    std::string local;
    for (int i = 0; i < 20000; ++i) {
        utf8 += "<td>\xE5\xAD\x97\xE5\xB9\x95\xE2\x82\xAC\xED\x95\x9C</td>";
        local += "<td>\xD7\xD6\xC4\xBB\x80?</td>";
    }
    const std::string withBadByte = utf8 + "\xFF";
    EXPECT_EQ(Utf8ToLocalText(withBadByte), Text(local + "?"));
}

TEST(CodePage, LocalToUnicode) {
    const struct {
        const char* local;
        std::string utf8;
        const char* why;
    } cases[] = {
        {"", "", "empty"},
        {"abc", "abc", "ASCII"},
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87", "中文"},
        {"\x80", "\xE2\x82\xAC", "0x80 is the euro sign"},
        {"\xFF", "\xEF\xBF\xBD", "a byte that decodes to nothing"},
        {"\x81 a", "\xEF\xBF\xBD a", "a lead byte with a bad trail: the trail is read afresh"},
        {"a\xD6", "a\xEF\xBF\xBD", "a lead byte at the end"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalToUtf8(Text(c.local)), c.utf8) << c.why;
        EXPECT_EQ(LocalToUtf16(Text(c.local)), Utf8ToUtf16(c.utf8)) << c.why;
    }
}

TEST(CodePage, ChineseRoundTrips) {
    const std::string utf8 =
        "\xE5\xAD\x97\xE5\xB9\x95\xE4\xB8\x8B\xE8\xBD\xBD\xE3\x80\x8A\xE6\xB5\x81\xE6\xB5\xAA"
        "\xE5\x9C\xB0\xE7\x90\x83\xE3\x80\x8B\xE3\x80\x80 2019 \xE2\x82\xAC";  // 字幕下载《流浪地球》　
                                                                               // 2019 €
    const Text local = Utf8ToLocalText(utf8);
    EXPECT_EQ(LocalToUtf8(local), utf8);
    EXPECT_EQ(Utf16ToLocal(LocalToUtf16(local)), local);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(utf8)), utf8);
}

TEST(CodePage, Utf16) {
    EXPECT_EQ(Utf8ToUtf16("a\xE4\xB8\xAD"), u"a\u4E2D");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    // Each maximal ill-formed subpart is one U+FFFD.
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98"
                          "a"),
              u"\uFFFDa");
    EXPECT_EQ(Utf8ToUtf16("\x80\xBF"), u"\uFFFD\uFFFD");

    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(Utf16ToUtf8(lone),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToLocal(lone), Text("a?b?"));
    EXPECT_EQ(Utf16ToLocal(u"\u4E2D\u20AC"), Text("\xD6\xD0\x80"));
}

}  // namespace
}  // namespace varneth
