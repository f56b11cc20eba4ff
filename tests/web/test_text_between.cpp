#include <gtest/gtest.h>

#include <optional>

#include "web/text_between.h"

namespace varneth {
namespace {

struct BetweenCase {
    const char* text;
    const char* startMarker;
    const char* endMarker;
    std::optional<int> startPosition;
    bool caseInsensitive;
    const char* expected;
    const char* why;
};

TEST(TextBetween, CutsBetweenTheFirstMarkersAfterTheStart) {
    const BetweenCase cases[] = {
        {"<a href=\"x.htm\">", "href=\"", "\"", {}, false, "x.htm", "an attribute value"},
        {"<a href=\"x.htm\">",
         "href=#\xD2\xFD\xBA\xC5",
         "#\xD2\xFD\xBA\xC5",
         {},
         false,
         "x.htm",
         "the quote placeholder in both markers"},
        {"[a][b]", "[", "]", {}, false, "a", "the first start marker and the first end after it"},
        {"[a][b]", "[", "]", 2, false, "b", "the first start marker at or after the position"},
        {"[a][b]", "[", "]", 4, false, "b", "a start marker right at the position"},
        {"[a][b]", "[", "]", 0, false, "a", "0 means the beginning"},
        {"[a][b]", "[", "]", -5, false, "a", "a negative position means the beginning"},
        {"[a]", "[", "]", 4, false, "", "one past the last byte finds nothing"},
        {"[a]", "(", "]", {}, false, "", "start marker absent"},
        {"[a] x", "[", "]", 2, false, "", "start marker only before the position"},
        {"] [a", "[", "]", {}, false, "", "end marker only before the start marker"},
        {"a[", "[", "]", {}, false, "", "start marker at the very end"},
        {"[]", "[", "]", {}, false, "", "end marker right after the start marker"},
        {"abab",
         "aba",
         "ab",
         {},
         false,
         "",
         "an end marker overlapping the start one is not taken"},
        {"x=1;", "", ";", {}, false, "x=1", "an empty start marker is found at the first byte"},
        {"x=1;y;", "", ";", 3, false, "x=1", "... whatever the position says"},
        {"x=1;", "", ";", 5, false, "", "... unless the searched part is empty"},
        {"[a]", "[", "", {}, false, "", "an empty end marker"},
        {"", "[", "]", {}, false, "", "empty text"},
        {"", "", "", {}, false, "", "all empty"},
        // 啊 is B0 A1: a marker beginning with A1 must not match its trail byte.
        {"\xB0\xA1xy]", "\xA1x", "]", {}, false, "", "no match on a trail byte"},
        {"\xB0\xA1\xA1\xA1x]", "\xA1\xA1", "]", {}, false, "x", "the match after the character"},
        {"<TITLE>t</TITLE>", "<title>", "</title>", {}, true, "t", "folded ASCII letters"},
        {"<TITLE>t</TITLE>", "<title>", "</title>", {}, false, "", "exact by default"},
        {"<title>t</title>", "<TITLE>", "</TITLE>", {}, true, "t", "capitals in the markers"},
        {"<b>\xD6\xD0\xCE\xC4</b>", "<b>", "</b>", {}, false, "\xD6\xD0\xCE\xC4", "Chinese text"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextBetween(Text(c.text), Text(c.startMarker), Text(c.endMarker), c.startPosition,
                              c.caseInsensitive),
                  Text(c.expected))
            << c.why;
    }
}

TEST(TextBetween, PlaceholderStandsForOneQuoteAndOnlyInMarkers) {
    EXPECT_EQ(QuotePlaceholder(), Text("#\xD2\xFD\xBA\xC5"));
    const Text q = QuotePlaceholder();
    // Every occurrence in a marker is replaced.
    EXPECT_EQ(TextBetween(Text("a=\"\"v\"\""), Text("a=") + q + q, q + q), Text("v"));
    // The text itself is never rewritten: a placeholder there is just bytes.
    EXPECT_EQ(TextBetween(Text("x#\xD2\xFD\xBA\xC5y\""), Text("x") + q, Text("\"")), Text(""));
    // Only the whole placeholder is replaced.
    EXPECT_EQ(TextBetween(Text("x#\xD2\xFD\xBA\xC5y\""), Text("x#\xD2\xFD"), Text("\"")),
              Text("\xBA\xC5y"));
}

TEST(TextBetween, RedirectTargetFromAHeaderBlock) {
    const Text headers(
        "HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: http://files.example/a.rar\r\n\r\n");
    EXPECT_EQ(TextBetween(headers, Text("Location: "), Text("\r\n")),
              Text("http://files.example/a.rar"));
}

TEST(ValueAfterColon, TrimmedRestAfterTheFirstColon) {
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"User-Agent:  Mozilla/5.0 (X11) ", "Mozilla/5.0 (X11)"},
        {"no colon here", ""},
        {"", ""},
        {"Name:", ""},
        {"Host: a:81", "a:81"},
        {"A: one\r\nB: two ", "one\r\nB: two"},
        {"K:\xA1\xA1v\xA1\xA1", "v"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValueAfterColon(Text(c.line)), Text(c.expected)) << '"' << c.line << '"';
    }
}

}  // namespace
}  // namespace varneth
