#include <gtest/gtest.h>

#include "web/cookies.h"

namespace varneth {
namespace {

TEST(CollectCookies, PairsOfTheSetCookieLines) {
    const struct {
        const char* headers;
        const char* expected;
        const char* why;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2",
         "with and without attributes"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; HttpOnly\r\n\r\n",
         "a=1; b=2", "both with attributes"},
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", "", "no Set-Cookie line"},
        {"", "", "no headers at all"},
        {"Set-Cookie: a=1\r\nset-cookie: b=2\r\nSET-COOKIE: c=3\r\n", "a=1",
         "the header name is matched in its exact case"},
        {"Set-Cookie:\xA1\xA1q=1\xA1\xA1\r\n", "q=1", "trimmed of ideographic spaces too"},
        {"Set-Cookie: a=1\r\nX-Note: see Set-Cookie\r\n", "a=1; X-Note: see Set-Cookie",
         "a mention in another value, without \";\", is taken whole"},
        {"Set-Cookie: a=1\r\nX-Note: Set-Cookie: b=2\r\n", "a=1; X-Note:  b=2",
         "every Set-Cookie: is removed from such a line"},
        {"Set-Cookie a=1; path=/\r\nSet-Cookie: b=2\r\n", "; b=2",
         "no colon after the name, but a \";\": an empty pair"},
        {"Set-Cookie: a=1 ;x\r\nSet-Cookie:  b = 2 \r\n", "a=1; b = 2",
         "only the ends of a pair are trimmed"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CollectCookies(Text(c.headers)), Text(c.expected)) << c.why;
    }
}

TEST(MergeCookies, ServerPairsFirstThenTheOldOnesItDidNotSet) {
    const struct {
        const char* oldCookies;
        const char* newCookies;
        const char* expected;
        const char* why;
    } cases[] = {
        {"", "a=1; b=2", "a=1; b=2", "nothing sent before"},
        {"", "", "", "both empty"},
        {"x=9; a=0", "a=1; b=2", "a=1; b=2; x=9", "the server's a replaces the old a"},
        {"a=0", "a=deleted", "", "a deleted cookie goes, and takes the old one along"},
        {"a=0", "a=DELETED", "a=DELETED", "the deletion mark is exact"},
        {"b=1", "a=deleted", "b=1", "only the deleted one goes"},
        {"x=9", "", "x=9", "no cookies set: the sent ones come back"},
        {" x = 9 ;  y=1", "", "x=9; y=1", "spaces removed everywhere"},
        {"", "q=x y", "q=xy", "inner spaces too"},
        {"", "a=1;a=1", "a=1", "identical pairs kept once"},
        {"", "a=1;a=2", "a=1; a=2", "same name, different values: both stay"},
        {"a=0;a=5;b=1", "", "a=0; b=1", "of several old pairs with one name the first stays"},
        {"", "a=1;;b=2", "a=1; ; b=2", "an empty piece survives once"},
        {"", "a=1;;b=2;;c=3", "a=1; ; b=2; c=3", "... and only once"},
        {"Sid=1", "sid=2", "sid=2; Sid=1", "names compare in their exact case"},
        {"flag", "flag=1", "flag=1", "a pair without \"=\" is named by all of itself"},
        {"x=\xA1\xA1", "", "x=\xA1\xA1", "an ideographic space in a value is data"},
    };
    for (const auto& c : cases) {
        Text oldCookies(c.oldCookies);
        Text newCookies(c.newCookies);
        const Text merged = MergeCookies(oldCookies, newCookies);
        EXPECT_EQ(merged, Text(c.expected)) << c.why;
        EXPECT_EQ(oldCookies, merged) << c.why;
    }
}

TEST(MergeCookies, NewCookiesLoseTheirSpacesOnly) {
    Text oldCookies("a=0");
    Text newCookies("b = 1; a=deleted");
    EXPECT_EQ(MergeCookies(oldCookies, newCookies), Text("b=1"));
    EXPECT_EQ(newCookies, Text("b=1;a=deleted"));
}

TEST(MergeCookies, CollectedCookiesMergeIntoTheSentOnes) {
    Text sent("sid=old; theme=dark");
    Text collected = CollectCookies(
        Text("HTTP/1.1 200 OK\r\nSet-Cookie: sid=new; path=/; HttpOnly\r\n"
             "Set-Cookie: theme=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n\r\n"));
    EXPECT_EQ(MergeCookies(sent, collected), Text("sid=new"));
    EXPECT_EQ(sent, Text("sid=new"));
}

TEST(CookieName, TrimmedTextBeforeTheFirstEquals) {
    EXPECT_EQ(CookieName(Text(" sid =a=b")), Text("sid"));
    EXPECT_EQ(CookieName(Text(" flag ")), Text("flag"));
    EXPECT_EQ(CookieName(Text("=v")), Text(""));
    EXPECT_EQ(CookieName(Text("")), Text(""));
    EXPECT_EQ(CookieName(Text("\xA1\xA1n\xA1\xA1=v")), Text("n"));
}

}  // namespace
}  // namespace varneth
