// The two patterns the program searches the site's pages with, over code-page-936 pages with
// CR LF line ends as the site sends them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "matcher/pattern_matcher.h"
#include "text/codepage.h"

namespace varneth {
namespace {

const Text kListingPattern(
    "<a href=\"(.*?)\" target=\"_blank\" title=\"(.*?)\"><b>[\\s\\S]*?<span "
    "class=\"glyphicon glyphicon-time\"></span> (.*?)</td>");
const Text kDownloadLinkPattern(
    "<li><a rel=\"nofollow\" href=\"(.*?)\" class=(.*?)</span>(.*?)</a></li>");

Text ReadFixture(const char* name) {
    std::ifstream in(std::string(VARNETH_MATCHER_FIXTURES) + "/" + name, std::ios::binary);
    return Text(std::string(std::istreambuf_iterator<char>(in), {}));
}

TEST(SitePatterns, ListingPageGivesOneMatchPerRow) {
    const Text page = ReadFixture("listing_page.html");
    ASSERT_FALSE(page.empty());
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search(kListingPattern, page));
    ASSERT_EQ(matcher.MatchCount(), 3);
    const struct {
        const char* path;
        const char* title;
        const char* time;
    } rows[] = {
        {"/detail/101.html", "流浪地球2 The Wandering Earth II", "2024-01-05 12:30"},
        {"/detail/102.html", "命運之夜 Fate", "2024-01-05 11:02"},
        {"/detail/103.html", "奥本海默 Oppenheimer (2023)", "2024-01-04 23:59"},
    };
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(matcher.SubmatchText(i, 1), Text(rows[i - 1].path)) << i;
        EXPECT_EQ(matcher.SubmatchText(i, 2), Local(rows[i - 1].title)) << i;
        EXPECT_EQ(matcher.SubmatchText(i, 3), Text(rows[i - 1].time)) << i;  // no CR in it
        EXPECT_EQ(matcher.SubmatchText(i, 4), Text()) << i;  // there are only three groups
    }
    EXPECT_EQ(matcher.SubmatchText(0, 1), Text());
    EXPECT_EQ(matcher.SubmatchText(4, 1), Text());

    // The rows stay readable, unchanged, after the page itself is gone.
    PatternMatcher kept = matcher;
    matcher.Reset();
    EXPECT_EQ(kept.SubmatchText(2, 2), Local("命運之夜 Fate"));
}

TEST(SitePatterns, RowSpanningFarIsStillFound) {
    // Far more markup inside one row than a listing has: beyond the budget of the compiled
    // code, so the interpreter finishes the match; the rows around it come out as usual.
    const std::string row = "<a href=\"/d/1.html\" target=\"_blank\" title=\"t\"><b>x</b>\r\n<td>";
    const std::string end = "<span class=\"glyphicon glyphicon-time\"></span> 12:00</td>\r\n";
    const std::string page = row + end + row + std::string(300000, 'y') + "\r\n" + end + row + end;
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search(kListingPattern, Text(page)));
    ASSERT_EQ(matcher.MatchCount(), 3);
    EXPECT_EQ(matcher.SubmatchText(2, 1), Text("/d/1.html"));
    EXPECT_EQ(matcher.SubmatchText(3, 3), Text("12:00"));
}

TEST(SitePatterns, PageOfAnotherLayoutGivesNoRows) {
    PatternMatcher matcher;
    EXPECT_TRUE(matcher.Search(kListingPattern, Local("<html><body>维护中</body></html>\r\n")));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubmatchText(1, 1), Text());
}

TEST(SitePatterns, DownloadPageLinks) {
    std::string page = "<ul class=\"down\">\r\n";
    for (int i = 1; i <= 7; ++i) {
        page += "<li><a rel=\"nofollow\" href=\"https://dl.example/f?id=" + std::to_string(i) +
                "\" class=\"btn\"><span class=\"icon\">";
        page += Local("下载").str() + "</span>" + Local("线路").str() + std::to_string(i) +
                "</a></li>\r\n";
    }
    page += "</ul>\r\n";
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Search(kDownloadLinkPattern, Text(page)));
    ASSERT_EQ(matcher.MatchCount(), 7);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(matcher.SubmatchText(i, 1), Text("https://dl.example/f?id=" + std::to_string(i)));
    EXPECT_EQ(matcher.SubmatchText(1, 2), Text("\"btn\"><span class=\"icon\">") + Local("下载"));
    EXPECT_EQ(matcher.SubmatchText(1, 3), Local("线路1"));
}

}  // namespace
}  // namespace varneth
