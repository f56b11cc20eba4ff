// ReplaceMatches: the last subject with its matches replaced, the replacement read the way the
// scripting engine's Replace reads it.
#include <gtest/gtest.h>

#include <string>

#include "matcher/pattern_matcher.h"
#include "text/codepage.h"

namespace varneth {
namespace {

TEST(ReplaceMatches, ReplacementForms) {
    const struct {
        const char* pattern;
        const char* subject;
        const char* replacement;
        const char* expected;
        const char* why;
    } cases[] = {
        {"(\\w+) (\\w+)", "John Smith, Jane Doe", "$2 $1", "Smith John, Doe Jane", "groups"},
        {"o", "foo", "[$&]", "f[o][o]", "$& is the match"},
        {"b", "abc", "[$`]", "a[a]c", "$` is what comes before"},
        {"b", "abc", "[$']", "a[c]c", "$' is what comes after"},
        {"b", "abc", "$$", "a$c", "$$ is one dollar"},
        {"(b)", "abc", "$$1", "a$1c", "$$ before a digit"},
        {"(b)", "abc", "$2", "a$2c", "a group beyond the count stays literal"},
        {"(b)", "abc", "$0", "a$0c", "$0 is no group"},
        {"(b)", "abc", "$01", "abc", "$01 is group 1"},
        {"(b)", "abc", "$10", "ab0c", "one digit, then a literal digit"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10$9$1", "jia",
         "two digits when that group exists"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$11", "a1", "group 1, then 1"},
        {"(x)|(b)", "abc", "<$1>", "a<>c", "a group that took no part is empty"},
        {"b", "abc", "$", "a$c", "a dollar at the end"},
        {"b", "abc", "$x", "a$xc", "a dollar before anything else"},
        {"B", "abc", "-", "a-c", "case ignored by default"},
        {"x*", "abc", "-", "-a-b-c-", "empty matches"},
        {"\\d", "a1b2", "", "ab", "an empty replacement"},
        {"z", "abc", "-", "abc", "nothing to replace"},
    };
    for (const auto& c : cases) {
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Search(c.pattern, c.subject)) << c.why;
        EXPECT_EQ(matcher.ReplaceMatches(c.replacement), Text(c.expected)) << c.why;
    }
}

TEST(ReplaceMatches, FollowsTheSettingsOfTheSearch) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search("a", "aAa", true, true, false));  // case kept, first only
    EXPECT_EQ(matcher.ReplaceMatches("x"), Text("xAa"));
    ASSERT_TRUE(matcher.Search("^a", "a\na", false, false, true));  // single line
    EXPECT_EQ(matcher.ReplaceMatches("x"), Text("x\na"));
}

TEST(ReplaceMatches, CodePageText) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search(Local("(中)(文)"), Local("中文abc中文")));
    EXPECT_EQ(matcher.ReplaceMatches(Text("$2$1")), Local("文中abc文中"));
    EXPECT_EQ(matcher.ReplaceMatches(Local("<字幕>")), Local("<字幕>abc<字幕>"));
}

}  // namespace
}  // namespace varneth
