// The matcher's own behaviour: searching, reading matches and groups, the settings, copies,
// the state kept between calls, and what happens with bad input.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "matcher/pattern_matcher.h"
#include "matcher/reg_exp.h"
#include "text/codepage.h"

namespace varneth {
namespace {

std::vector<Text> AllMatches(const PatternMatcher& matcher) {
    std::vector<Text> texts;
    for (int i = 1; i <= matcher.MatchCount(); ++i)
        texts.push_back(matcher.MatchText(i));
    return texts;
}

TEST(PatternMatcher, NeverSearchedGivesNothing) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.GetPattern(), Text());
    EXPECT_EQ(matcher.GetRegExp(), nullptr);
    EXPECT_EQ(matcher.MatchText(1), Text());
    int position = 7;
    EXPECT_EQ(matcher.SubmatchText(1, 1, &position), Text());
    EXPECT_EQ(position, -2);  // nothing to search in
    EXPECT_EQ(matcher.SubmatchCount(), 0);
    EXPECT_FALSE(matcher.IsMatch("abc"));
    EXPECT_EQ(matcher.ExecuteCount("abc"), 0);
    EXPECT_EQ(matcher.ReplaceMatches("x"), Text());
}

TEST(PatternMatcher, SearchResultTellsWhetherThePatternIsValid) {
    const struct {
        const char* pattern;
        const char* subject;
        bool result;
        int count;
    } cases[] = {
        {"a", "", true, 0},           // an empty subject: a valid, empty collection
        {"(a)", "bbb", true, 0},      // nothing found is still a valid search
        {"(a", "aaa", false, 0},      // unbalanced opening parenthesis
        {"a)", "aaa", false, 0},      // unbalanced closing parenthesis
        {"[ab", "aaa", false, 0},     // unclosed class
        {"a{2,1}", "aaa", false, 0},  // quantifier out of order
        {"*a", "aaa", false, 0},      // nothing to repeat
        {"\\", "aaa", false, 0},      // a trailing backslash
        {"", "ab", true, 3},          // the empty pattern matches between all characters
    };
    for (const auto& c : cases) {
        PatternMatcher matcher;
        EXPECT_EQ(matcher.Search(c.pattern, c.subject), c.result) << c.pattern;
        EXPECT_EQ(matcher.MatchCount(), c.count) << c.pattern;
        EXPECT_EQ(matcher.SubmatchText(1, 1), Text()) << c.pattern;
        EXPECT_EQ(matcher.GetPattern(), Text(c.pattern)) << c.pattern;
    }
}

TEST(PatternMatcher, InvalidPatternAfterGoodSearchLeavesNoMatches) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("(b)", "abc"));
    ASSERT_EQ(matcher.MatchCount(), 1);
    EXPECT_FALSE(matcher.Search("(b", "abc"));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), Text());
    EXPECT_FALSE(matcher.IsMatch("abc"));
    EXPECT_EQ(matcher.ReplaceMatches("x"), Text());
}

TEST(PatternMatcher, IndexesOutsideTheCollectionGiveEmptyText) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("<(a)(b)?(c)>", "<ac> <abc>"));
    ASSERT_EQ(matcher.MatchCount(), 2);
    const struct {
        int match;
        int group;
        const char* expected;
    } cases[] = {
        {1, 1, "a"},
        {1, 3, "c"},
        {2, 2, "b"},
        {1, 2, ""},  // a group that took no part
        {1, 4, ""},
        {1, 0, ""},
        {1, -1, ""},  // groups outside 1..3
        {0, 1, ""},
        {-1, 1, ""},
        {3, 1, ""},  // matches outside 1..2
        {INT_MIN, INT_MIN, ""},
        {INT_MAX, INT_MAX, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matcher.SubmatchText(c.match, c.group), Text(c.expected))
            << c.match << "," << c.group;
    EXPECT_EQ(matcher.MatchText(2), Text("<abc>"));
    EXPECT_EQ(matcher.MatchText(0), Text());
    EXPECT_EQ(matcher.MatchText(3), Text());
    EXPECT_EQ(matcher.MatchText(INT_MIN), Text());
}

TEST(PatternMatcher, NonParticipatingAlternativeGivesEmptyText) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("(x)|(y)", "y"));
    EXPECT_EQ(matcher.SubmatchText(1, 1), Text());
    EXPECT_EQ(matcher.SubmatchText(1, 2), Text("y"));
}

struct DialectCase {
    const char* pattern;
    std::string subject;
    bool caseSensitive;
    bool multiline;
    bool global;
    std::vector<Text> matches;
    const char* why;
};

TEST(PatternMatcher, Dialect) {
    const DialectCase cases[] = {
        {"<a href=", "<A HREF=x>", false, true, true, {"<A HREF="}, "case ignored by default"},
        {"<a href=", "<A HREF=x>", true, true, true, {}, "case kept when asked"},
        {"a.b", "a\rb a\nb a\tb", false, true, true, {"a\rb", "a\tb"}, "dot excludes only LF"},
        {"a.b", "a\nb", false, false, true, {}, "dot excludes LF without multi-line too"},
        {"a[\\s\\S]b", "a\nb", false, true, true, {"a\nb"}, "[\\s\\S] takes line breaks"},
        {"<b>(.*?)</b>", "<b>x</b><b>y</b>", false, true, true, {"<b>x</b>", "<b>y</b>"}, "lazy"},
        {"<b>(.*)</b>", "<b>x</b><b>y</b>", false, true, true, {"<b>x</b><b>y</b>"}, "greedy"},
        {"^b", "a\r\nb\nb", false, true, true, {"b", "b"}, "^ after line feeds"},
        {"^b", "a\nb", false, false, true, {}, "^ only at the start without multi-line"},
        {"a$", "a\r\na\n", false, true, true, {"a"}, "$ before a line feed, not a CR"},
        {"a$", "a\n", false, false, true, {}, "$ only at the very end without multi-line"},
        {"\\d", "1 2 3", false, true, false, {"1"}, "first match only without global"},
        {"aa", "aaaaa", false, true, true, {"aa", "aa"}, "matches do not overlap"},
        {"x*", "abc", false, true, true, {"", "", "", ""}, "empty matches step one character"},
        {"a*", "baa", false, true, true, {"", "aa", ""}, "after an empty match"},
        {"a\\.b\\?", "axb? a.b?", false, true, true, {"a.b?"}, "escaped specials"},
        {"\\u0041\\x42", "AB", true, true, true, {"AB"}, "\\u and \\x escapes"},
        {"\\bcat\\b", "cat concat cat", false, true, true, {"cat", "cat"}, "word boundary"},
        {"(a)\\1", "aa ab", false, true, true, {"aa"}, "back reference"},
    };
    for (const auto& c : cases) {
        PatternMatcher matcher;
        ASSERT_TRUE(
            matcher.Search(c.pattern, Text(c.subject), c.caseSensitive, c.multiline, c.global))
            << c.why;
        EXPECT_EQ(AllMatches(matcher), c.matches) << c.why;
    }
}

TEST(PatternMatcher, CodePageTextIsMatchedAsCharacters) {
    const struct {
        const char* pattern;  // UTF-8 here, code page 936 in the matcher
        const char* subject;
        std::vector<const char*> matches;
        const char* why;
    } cases[] = {
        {"^..$", "中文", {"中文"}, "a double-byte character is one character"},
        {"中.文", "中国文 中文", {"中国文"}, "dot takes one whole character"},
        {"[中文]+", "中文字", {"中文"}, "a class of double-byte characters"},
        {"命(.)", "命運", {"命運"}, "a trail byte 0x5C is no backslash"},
        {"\\u4E2D", "中", {"中"}, "\\u names the character"},
        {"字幕", "字 幕字幕", {"字幕"}, "literal"},
    };
    for (const auto& c : cases) {
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Search(Local(c.pattern), Local(c.subject))) << c.why;
        std::vector<Text> expected;
        for (const char* m : c.matches)
            expected.push_back(Local(m));
        EXPECT_EQ(AllMatches(matcher), expected) << c.why;
    }
    // Ignoring case folds letters, never the bytes of a double-byte character: 0x81 0x41 and
    // 0x81 0x61 are two different characters.
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search(Text("\x81\x41"), Text("\x81\x61")));
    EXPECT_EQ(matcher.MatchCount(), 0);
    ASSERT_TRUE(matcher.Search(Text("\x81\x41"), Text("\x81\x41")));
    EXPECT_EQ(matcher.MatchCount(), 1);
}

TEST(PatternMatcher, QuotePlaceholder) {
    const Text pattern = Local("title=#引号(.*?)#引号");
    const Text subject = Local("<a title=\"命運\"> title=#引号x#引号");
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search(pattern, subject, false, true, true, true));
    EXPECT_EQ(matcher.GetPattern(), Text("title=\"(.*?)\""));
    ASSERT_EQ(matcher.MatchCount(), 1);
    EXPECT_EQ(matcher.SubmatchText(1, 1), Local("命運"));

    ASSERT_TRUE(matcher.Search(pattern, subject));  // without: matched literally
    EXPECT_EQ(matcher.GetPattern(), pattern);
    ASSERT_EQ(matcher.MatchCount(), 1);
    EXPECT_EQ(matcher.SubmatchText(1, 1), Text("x"));

    // The scan steps over double-byte characters whole: here "#" is the second byte of the
    // (broken) character 0x81 0x23, so no placeholder begins there.
    const Text straddling = Text("\x81#") + Local("引号");
    ASSERT_TRUE(matcher.Search(straddling, Text(), false, true, true, true));
    EXPECT_EQ(matcher.GetPattern(), straddling);
}

TEST(PatternMatcher, EscapeText) {
    const struct {
        std::string literal;
        std::string escaped;
    } cases[] = {
        {"a.b\\c", "a\\.b\\\\c"},
        {"1+1=2?", "1+1=2\\?"},
        {"^-$|{}[]().?", "\\^\\-\\$\\|\\{\\}\\[\\]\\(\\)\\.\\?"},
        {"\\(", "\\\\\\("},  // the backslash put in for "(" is not doubled
        {"*+/ ", "*+/ "},
        {"", ""},
        {"\xDF\x5C\x81\x5B", "\xDF\x5C\x81\x5B"},  // 運 and 乕: trail bytes are no specials
        {"\xD6\xD0.", "\xD6\xD0\\."},
    };
    PatternMatcher matcher;
    for (const auto& c : cases)
        EXPECT_EQ(matcher.EscapeText(Text(c.literal)), Text(c.escaped)) << c.literal;

    // What it escapes then matches itself literally.
    const Text literal = Local("[命運](1.0)^$|{a-b}?\\中");
    ASSERT_TRUE(matcher.Search(matcher.EscapeText(literal), Text("x") + literal));
    EXPECT_EQ(AllMatches(matcher), std::vector<Text>{literal});
}

TEST(PatternMatcher, SubmatchCountOnlyAfterExecuteCount) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("(a)(b)", "ab ab"));
    EXPECT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.SubmatchCount(), 0);

    EXPECT_EQ(matcher.ExecuteCount("xx"), 0);
    EXPECT_EQ(matcher.SubmatchCount(), 0);
    EXPECT_EQ(matcher.MatchCount(), 0);

    EXPECT_EQ(matcher.ExecuteCount("ab ab ab"), 3);
    EXPECT_EQ(matcher.SubmatchCount(), 2);
    EXPECT_EQ(matcher.SubmatchText(3, 2), Text("b"));

    // Reset and Search leave the stored count alone; the groups come from the new matches.
    matcher.Reset();
    EXPECT_EQ(matcher.SubmatchCount(), 0);
    ASSERT_TRUE(matcher.Search("(x)(y)(z)", "xyz"));
    EXPECT_EQ(matcher.SubmatchCount(), 3);
    ASSERT_TRUE(matcher.Search("(x)(y)(z)", "none"));
    EXPECT_EQ(matcher.SubmatchCount(), 0);
}

TEST(PatternMatcher, PositionOutput) {
    const struct {
        std::string pattern;
        std::string subject;
        bool caseSensitive;
        int match;
        int group;
        const char* value;
        int position;
        const char* why;
    } cases[] = {
        {"<b>(a)(b)</b>", "xx<b>ab</b>", false, 1, 1, "a", 5, "the group's own start"},
        {"<b>(a)(b)</b>", "xx<b>ab</b>", false, 1, 2, "b", 3, "the b of <b> comes first"},
        {"(a)(b)", "ab ab", false, 2, 2, "b", 4, "searched from the second match's start"},
        {"ab(a)", "zaba", false, 1, 1, "a", 1, "an earlier occurrence inside the match"},
        {"[bB]a(b)", "Bab", true, 1, 1, "b", 2, "case kept"},
        {"[bB]a(b)", "Bab", false, 1, 1, "b", 0, "case ignored as the search ignores it"},
        {"(x)|(y)", "aay", false, 1, 1, "", 0, "an empty group reports the subject's start"},
        {"(y)", "aay", false, 1, 5, "", 0, "a group outside the collection, too"},
        {"(y)", "aay", false, 9, 1, "", 0, "a match outside the collection, too"},
        {"(y)|$", "", false, 1, 1, "", -2, "an empty subject"},
        {"\\d(\\d)", "\xD6\xD0\xCE\xC4<12>", false, 1, 1, "2", 6,
         "bytes, after two double-byte characters"},
    };
    for (const auto& c : cases) {
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Search(Text(c.pattern), Text(c.subject), c.caseSensitive)) << c.why;
        int position = 99;
        EXPECT_EQ(matcher.SubmatchText(c.match, c.group, &position), Text(c.value)) << c.why;
        EXPECT_EQ(position, c.position) << c.why;
    }
}

TEST(PatternMatcher, SetRegExpKeepsMatchesAndSearchReplacesIt) {
    PatternMatcher first;
    ASSERT_TRUE(first.Search("(\\d+)", "a1b22", true));
    const auto digits = first.GetRegExp();
    ASSERT_NE(digits, nullptr);
    EXPECT_EQ(first.GetRegExp(), digits);  // the same object, shared

    PatternMatcher second;
    ASSERT_TRUE(second.Search("([a-z])", "xyz"));
    second.SetRegExp(digits);
    EXPECT_EQ(second.GetRegExp(), digits);
    EXPECT_EQ(second.GetPattern(), Text("(\\d+)"));
    EXPECT_EQ(second.MatchCount(), 3);                   // matches stay
    EXPECT_EQ(second.ReplaceMatches("#"), Text("xyz"));  // lastSubject stays, no digits there
    EXPECT_TRUE(second.IsMatch("q7"));
    EXPECT_EQ(second.SubmatchText(1, 1), Text("7"));

    ASSERT_TRUE(second.Search("(\\d+)", "5"));
    EXPECT_NE(second.GetRegExp(), digits);  // a search makes its own object
    EXPECT_EQ(first.GetRegExp(), digits);

    second.SetRegExp(nullptr);
    EXPECT_EQ(second.GetPattern(), Text());
    EXPECT_FALSE(second.IsMatch("5"));
    EXPECT_EQ(second.MatchCount(), 0);
}

TEST(PatternMatcher, IsMatchReplacesMatchesButKeepsLastSubject) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("(\\d)", "a1b2"));
    EXPECT_FALSE(matcher.IsMatch("zzz"));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_TRUE(matcher.IsMatch("x9y8"));
    EXPECT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.SubmatchText(2, 1), Text("8"));
    EXPECT_EQ(matcher.ReplaceMatches("#"), Text("a#b#"));
}

TEST(PatternMatcher, CopiesShareThePatternAndTheMatches) {
    PatternMatcher original;
    ASSERT_TRUE(original.Search("(\\w)=(\\w)", "a=b c=d"));
    original.ExecuteCount("e=f");
    ASSERT_TRUE(original.Search("(\\w)=(\\w)", "a=b c=d"));

    PatternMatcher copy = original.Copy();
    EXPECT_EQ(copy.GetRegExp(), original.GetRegExp());
    EXPECT_EQ(copy.SubmatchText(2, 2), Text("d"));
    EXPECT_EQ(copy.SubmatchCount(), 2);  // the stored count came along
    EXPECT_EQ(copy.ReplaceMatches("$2$1"), Text("ba dc"));

    // Each goes on on its own: a new search or a reset of one leaves the other's results.
    ASSERT_TRUE(original.Search("x", "x"));
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.GetPattern(), Text("(\\w)=(\\w)"));
    PatternMatcher assigned;
    assigned = copy;
    copy.Reset();
    EXPECT_EQ(copy.MatchCount(), 0);
    EXPECT_EQ(copy.GetPattern(), Text());
    EXPECT_EQ(copy.ReplaceMatches("z"), Text());
    EXPECT_EQ(assigned.SubmatchText(1, 1), Text("a"));
    EXPECT_EQ(original.MatchText(1), Text("x"));
}

TEST(PatternMatcher, ResetForgetsEverythingButTheStoredCount) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("(a)", "aa"));
    matcher.ExecuteCount("a");
    matcher.Reset();
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.GetRegExp(), nullptr);
    EXPECT_EQ(matcher.GetPattern(), Text());
    int position = 0;
    EXPECT_EQ(matcher.SubmatchText(1, 1, &position), Text());
    EXPECT_EQ(position, -2);  // lastSubject is empty again
    matcher.Placeholder();    // does nothing
    EXPECT_EQ(matcher.MatchCount(), 0);
}

TEST(PatternMatcher, HostilePatternsEndQuicklyWithoutMatches) {
    const struct {
        std::string pattern;
        std::string subject;
    } cases[] = {
        {"(a+)+$", std::string(40, 'a') + "!"},
        {"(\\w+\\s?)+$", std::string(40, 'a') + "!"},
        {"(.*a){20}", std::string(19, 'a') + std::string(5000, 'b')},  // scans between steps
        {"(?:(a)|b)*?c$", std::string(300000, 'a') + "c!"},      // deep backtracking of a group
        {std::string(5000, '(') + std::string(5000, ')'), "a"},  // nested too deeply
    };
    for (const auto& c : cases) {
        PatternMatcher matcher;
        const auto start = std::chrono::steady_clock::now();
        matcher.Search(Text(c.pattern), Text(c.subject));
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 3.0) << c.pattern.substr(0, 20);
        EXPECT_EQ(matcher.MatchCount(), 0) << c.pattern.substr(0, 20);
    }
}

}  // namespace
}  // namespace varneth
