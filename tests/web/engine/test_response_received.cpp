// What the engine makes of the answers it gets.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "text/codepage.h"
#include "web/fetch_text.h"
#include "web/text_between.h"
#include "web/web_request.h"

namespace varneth {
namespace {

using testing::MakeResponse;

TEST_F(EngineTest, RedirectFollowedOrHandedBack) {
    const std::string redirect =
        MakeResponse(302, "Found", {{"Location", server.HttpUrl("/real.zip")}}, "short body");
    server.Route("/down", redirect);
    server.Route("/real.zip", MakeResponse(200, "OK", {}, "the file"));

    Text headers;
    EXPECT_EQ(FetchText(Http("/down"), 0, {}, nullptr, nullptr, nullptr, &headers),
              Text("the file"));
    EXPECT_EQ(headers.str().substr(0, 15), "HTTP/1.1 200 OK");

    Text extra("Host: 127.0.0.1\r\nReferer: " + server.HttpUrl("/page"));
    Text linkHeaders;
    Text body = FetchText(Http("/down"), 0, {}, nullptr, nullptr, &extra, &linkHeaders, true);
    EXPECT_EQ(body, Text("short body"));
    EXPECT_EQ(linkHeaders.str(), redirect.substr(0, redirect.find("short body")));
    EXPECT_EQ(TextBetween(linkHeaders, Text("Location: "), Text("\r\n")),
              Text(server.HttpUrl("/real.zip")));
}

TEST_F(EngineTest, SetCookieInAnyCaseIsNormalisedAndMerged) {
    server.Route("/login",
                 "HTTP/1.1 200 OK\r\nset-cookie: sid=42; path=/\r\nSET-COOKIE: a=deleted\r\n"
                 "X-Note: see sEt-CoOkIe\r\nContent-Length: 0\r\n\r\n");
    Text submitted("a=0; x=9");
    Text returned;
    Text headers;
    WebRequest(Http("/login"), 0, {}, &submitted, &returned, nullptr, &headers);
    EXPECT_EQ(headers.str(),
              "HTTP/1.1 200 OK\r\nSet-Cookie: sid=42; path=/\r\nSet-Cookie: a=deleted\r\n"
              "X-Note: see Set-Cookie\r\nContent-Length: 0\r\n\r\n");
    // The line that only mentions the header counts as a pair of its own.
    EXPECT_EQ(returned, Text("sid=42; X-Note:seeSet-Cookie; x=9"));
    EXPECT_EQ(submitted, returned);

    Text onlyReturned;  // without submitted cookies there is no merge
    WebRequest(Http("/login"), 0, {}, nullptr, &onlyReturned);
    EXPECT_EQ(onlyReturned, Text("sid=42; a=deleted; X-Note: see Set-Cookie"));
}

TEST_F(EngineTest, BodiesComeBackWhole) {
    std::string big(20u << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + (i >> 12));
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{1024}, std::size_t{1025}, big.size()}) {
        const std::string body = big.substr(0, size);
        server.Route("/body", MakeResponse(200, "OK", {}, body));
        Text cookies;
        Bytes received = WebRequest(Http("/body"), 0, {}, &cookies);
        EXPECT_EQ(received.size(), size);
        EXPECT_TRUE(received.str() == body) << size;
    }
    // Without a length the body runs to the end of the connection.
    server.Route("/unsized", "HTTP/1.1 200 OK\r\n\r\n" + big.substr(0, 3000));
    Text cookies;
    EXPECT_EQ(WebRequest(Http("/unsized"), 0, {}, &cookies).str(), big.substr(0, 3000));
}

TEST_F(EngineTest, LongHeaderBlockArrivesWhole) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (int i = 0; i < 640; ++i)
        lines.push_back({"X-Filler-" + std::to_string(i), std::string(90, 'h')});
    lines.push_back({"Set-Cookie", "late=1; path=/"});
    const std::string response = MakeResponse(200, "OK", lines, "body");
    ASSERT_GT(response.size(), 64u * 1024);
    server.Route("/long", response);
    Text cookies;
    Text returned;
    Text headers;
    Bytes body = WebRequest(Http("/long"), 0, {}, &cookies, &returned, nullptr, &headers);
    EXPECT_EQ(body.str(), "body");
    EXPECT_EQ(headers.str(), response.substr(0, response.size() - 4));
    EXPECT_EQ(returned, Text("late=1"));
}

TEST_F(EngineTest, HttpsWithTheTestCa) {
    server.Route("/secure", MakeResponse(200, "OK", {}, "over tls"));
    EXPECT_EQ(FetchText(Https("/secure")), Text("over tls"));
    EXPECT_TRUE(OnlyRequest().tls);
}

TEST_F(EngineTest, FetchTextReadsThePageAsLocalText) {
    struct Case {
        std::string utf8;
        Text local;
    } cases[] = {
        {"", Text()},
        {"plain <b>ascii</b>", Text("plain <b>ascii</b>")},
        {"\xe5\xad\x97\xe5\xb9\x95", Text("\xd7\xd6\xc4\xbb")},  // 字幕
        {std::string("before\0after", 12), Text("before")},
    };
    for (const auto& c : cases) {
        server.Route("/page", MakeResponse(200, "OK", {}, c.utf8));
        EXPECT_EQ(FetchText(Http("/page")), c.local);
    }
}

TEST_F(EngineTest, FetchTextMergesCookiesEvenWhenNoneWereGiven) {
    // Only the merge removes spaces inside values.
    server.Route("/set",
                 "HTTP/1.1 200 OK\r\nSet-Cookie: q=x y; path=/\r\nContent-Length: 0\r\n\r\n");
    Text returned;
    FetchText(Http("/set"), 0, {}, nullptr, &returned);
    EXPECT_EQ(returned, Text("q=xy"));
    Text unmerged;
    WebRequest(Http("/set"), 0, {}, nullptr, &unmerged);
    EXPECT_EQ(unmerged, Text("q=x y"));
}

}  // namespace
}  // namespace varneth
