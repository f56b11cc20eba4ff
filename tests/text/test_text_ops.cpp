// The code-page-936 text operations. Bytes are written out: 丄 is 81 41 (its trail byte is "A"),
// 乤 is 81 61 (trail "a"), 丂 is 81 40 (trail "@"), 啊 is B0 A1, the ideographic space A1 A1.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "text/text_ops.h"

namespace varneth {
namespace {

struct FindCase {
    const char* haystack;
    const char* needle;
    int start;
    bool caseInsensitive;
    int expected;
};

TEST(TextOps, FindRespectsStartCaseAndCharacterBoundaries) {
    const FindCase cases[] = {
        {"abcabc", "c", 1, false, 3},
        {"abcabc", "c", 4, false, 6},
        {"abcabc", "c", 6, false, 6},
        {"abcabc", "c", 0, false, 3},
        {"abcabc", "c", -5, false, 3},
        {"abcabc", "c", 7, false, -1},  // one past the last byte
        {"abc", "abcd", 1, false, -1},
        {"", "a", 1, false, -1},
        // An empty needle is found at 1 whenever the searched part is not empty.
        {"abc", "", 1, false, 1},
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"", "", 1, false, -1},
        // Never on a trail byte: the "@" of 丂 and the A1 of 啊 are stepped over.
        {"\x81\x40", "@", 1, false, -1},
        {"\x81\x40@", "@", 1, false, 3},
        {"\xB0\xA1\xA1\xA1", "\xA1\xA1", 1, false, 3},
        {"\xD6\xD0\xCE\xC4", "\xD0\xCE", 1, false, -1},
        {"\xD6\xD0\xCE\xC4", "\xCE\xC4", 1, false, 3},
        // ASCII letters fold, nothing else does; a trail byte "a" is no letter.
        {"Hello", "LL", 1, true, 3},
        {"Hello", "LL", 1, false, -1},
        {"SET-COOKIE: a", "set-cookie:", 1, true, 1},
        {"\x81\x61", "A", 1, true, -1},
        {"\x81\x61"
         "a",
         "A", 1, true, 3},
        {"\x81\x41", "\x81\x61", 1, true, -1},
        {"x\xD6\xD0Y", "\xD6\xD0y", 1, true, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find(Text(c.haystack), Text(c.needle), c.start, c.caseInsensitive), c.expected)
            << "haystack \"" << c.haystack << "\" needle \"" << c.needle << "\" start " << c.start;
    }
}

TEST(TextOps, FindLastLooksOnlyBeforeTheGivenEnd) {
    const struct {
        const char* haystack;
        int endBefore;
        int expected;
    } cases[] = {
        {"a.b.c", 0, 4},   {"a.b.c", 5, 4},  // all bytes but the last
        {"a.b.", 4, 2},                      // the final dot lies at the end and is not looked at
        {"a.b.c", 4, 2},   {"a.b.c", 2, -1},   {".", 1, -1},
        {"", 0, -1},       {"\x81.a.", 4, -1},  // the first "." is the trail byte of a character
        {"\x81.a.", 0, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindLast(Text(c.haystack), Text("."), c.endBefore), c.expected)
            << c.haystack << " before " << c.endBefore;
    }
}

TEST(TextOps, LowerCasingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiLower(Text("HTTPS://Www.Lumora\xD6\xD0.COM/")),
              Text("https://www.lumora\xD6\xD0.com/"));
    // 丄 keeps its trail byte "A"; the "B" after it is a letter of its own.
    EXPECT_EQ(AsciiLower(Text("\x81\x41"
                              "B")),
              Text("\x81\x41"
                   "b"));
    EXPECT_EQ(AsciiLower(Text("[@Z`]")), Text("[@z`]"));

    EXPECT_TRUE(EqualsIgnoringAsciiCase("Set-Cookie", "SET-cookie"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Set-Cookie", "Set-Cookies"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\x81\x41", "\x81\x61"));
    EXPECT_FALSE(
        EqualsIgnoringAsciiCase("[", "{"));  // 0x5B and 0x7B differ by 32 but are no letters
    EXPECT_TRUE(Contains(Text("Location: x"), Text("LOCATION"), true));
    EXPECT_FALSE(Contains(Text("Location: x"), Text("LOCATION")));
}

TEST(TextOps, TrimRemovesAsciiAndIdeographicSpacesOnly) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"  a b  ", "a b"},
        {"\xA1\xA1 a\xA1\xA1 ", "a"},
        {"\ta\r\n", "\ta\r\n"},
        {" \t a \n ", "\t a \n"},
        {"   ", ""},
        {"\xA1\xA1\xA1\xA1", ""},
        {"", ""},
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},    // 啊 then an ideographic space
        {"x\xB0\xA1\xA1", "x\xB0\xA1\xA1"},  // 啊 then a lone A1: no space
        {"\xA1", "\xA1"},
        {"\xA1\xA1\xA1", "\xA1"},  // a space, then a lone A1 that stays
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Trim(Text(c.input)), Text(c.expected)) << '"' << c.input << '"';
    }
}

TEST(TextOps, SplitKeepsInnerAndLeadingEmptyPiecesButNoTrailingOne) {
    using Pieces = std::vector<Text>;
    const struct {
        const char* text;
        const char* separator;
        Pieces expected;
    } cases[] = {
        {"", ";", {}},
        {"a", ";", {Text("a")}},
        {"a;b", ";", {Text("a"), Text("b")}},
        {";a", ";", {Text(""), Text("a")}},
        {"a;;b", ";", {Text("a"), Text(""), Text("b")}},
        {"a;", ";", {Text("a")}},
        {"a;;", ";", {Text("a"), Text("")}},
        {";", ";", {Text("")}},
        {"a=1; b=2", "; ", {Text("a=1"), Text("b=2")}},
        {"l1\r\nl2\r\n\r\n", "\r\n", {Text("l1"), Text("l2"), Text("")}},
        {"\x81@;x", "@", {Text("\x81@;x")}},  // the "@" is a trail byte
        {"abc", "", {Text("abc")}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(Text(c.text), Text(c.separator)), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(Join({Text("a"), Text(""), Text("b")}, Text("; ")), Text("a; ; b"));
    EXPECT_EQ(Join({}, Text("; ")), Text(""));
}

TEST(TextOps, ReplaceAndRemove) {
    EXPECT_EQ(ReplaceAll(Text("aXbXc"), Text("X"), Text("--")), Text("a--b--c"));
    EXPECT_EQ(ReplaceAll(Text("aaa"), Text("aa"), Text("b")), Text("ba"));
    EXPECT_EQ(ReplaceAll(Text("aa"), Text("a"), Text("aa")),
              Text("aaaa"));  // replaced bytes are not re-read
    EXPECT_EQ(ReplaceAll(Text("abc"), Text(""), Text("x")), Text("abc"));
    EXPECT_EQ(ReplaceAll(Text("\x81@@"), Text("@"), Text("!")), Text("\x81@!"));
    EXPECT_EQ(ReplaceAll(Text("Set-Cookie: a SET-COOKIE:b"), Text("set-cookie:"), Text(""), true),
              Text(" a b"));
    EXPECT_EQ(RemoveByte(Text(" a b = c "), ' '), Text("ab=c"));
}

TEST(TextOps, SubstringsStayWithinTheText) {
    const Text abc("abc");
    const struct {
        int start;
        int count;
        const char* expected;
    } cases[] = {
        {1, 2, "ab"}, {2, 1, "b"}, {3, 5, "c"}, {1, 3, "abc"}, {0, 2, ""},
        {-1, 5, ""},  {4, 1, ""},  {2, 0, ""},  {2, -1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Mid(abc, c.start, c.count), Text(c.expected)) << c.start << ',' << c.count;
    }
    EXPECT_EQ(Mid(abc, 2, INT_MAX), Text("bc"));
    EXPECT_EQ(MidToEnd(abc, 2), Text("bc"));
    EXPECT_EQ(MidToEnd(abc, 4), Text(""));
    EXPECT_EQ(MidToEnd(abc, 0), Text(""));
    EXPECT_EQ(Left(abc, 2), Text("ab"));
    EXPECT_EQ(Left(abc, 9), Text("abc"));
    EXPECT_EQ(Left(abc, -1), Text(""));
    EXPECT_EQ(Right(abc, 2), Text("bc"));
    EXPECT_EQ(Right(abc, 9), Text("abc"));
    EXPECT_EQ(Right(abc, 0), Text(""));
}

TEST(TextOps, NumbersInPlainDecimal) {
    EXPECT_EQ(Decimal(0), Text("0"));
    EXPECT_EQ(Decimal(7), Text("7"));
    EXPECT_EQ(Decimal(5000), Text("5000"));
    EXPECT_EQ(Decimal(-12), Text("-12"));
    EXPECT_EQ(Decimal(INT64_MAX), Text("9223372036854775807"));
    EXPECT_EQ(Decimal(INT64_MIN), Text("-9223372036854775808"));

    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"81", 81}, {"81/path", 81}, {"007", 7}, {"", 0},
        {"abc", 0}, {"-5", 0},       {" 8", 0},  {"99999999999", INT_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingNumber(Text(c.text)), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace varneth
