// What the engine puts on the wire.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "support/forward_proxy.h"
#include "web/fetch_text.h"
#include "web/web_request.h"

namespace varneth {
namespace {

using testing::MakeResponse;

TEST(RequestFlagsTest, WordsOfPageLoadsAndLinkResolutions) {
    EXPECT_EQ(RequestFlags(true, false, true), 0x80880010u);
    EXPECT_EQ(RequestFlags(true, false, false), 0x80084010u);
    EXPECT_EQ(RequestFlags(true, true, true), 0x80A80010u);
    EXPECT_EQ(RequestFlags(true, true, false), 0x80284010u);
    EXPECT_EQ(RequestFlags(false, false, true), 0x80800010u);
}

class RequestSentTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        server.SetFallback(
            [](const testing::RecordedRequest&) { return MakeResponse(200, "OK", {}, "ok"); });
    }
};

TEST_F(RequestSentTest, PageLoadSendsTheFourDefaultLinesThenTheAgent) {
    for (bool https : {false, true}) {
        server.ClearRequests();
        const Text url = https ? Https("/newsubs?p=1") : Http("/newsubs?p=1");
        EXPECT_EQ(FetchText(url), Text("ok"));
        auto request = OnlyRequest();
        EXPECT_EQ(request.tls, https);
        EXPECT_EQ(request.raw.substr(0, request.raw.find("\r\n")), "GET /newsubs?p=1 HTTP/1.1");
        EXPECT_EQ(request.headers, HostLine() + "Accept: */*\r\nReferer: " + url.str() +
                                       "\r\nAccept-Language: zh-cn\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\n"
                                       "User-Agent: " +
                                       kDefaultAgent + "\r\n");
        EXPECT_EQ(request.body, "");
    }
}

TEST_F(RequestSentTest, LinkResolutionSendsHostAndRefererFirst) {
    Text extra("Host: dl.example\r\nReferer: http://site/down.htm");
    Text headers;
    FetchText(Http("/file?id=7"), 0, {}, nullptr, nullptr, &extra, &headers, true);
    const std::string completed =
        "Host: dl.example\r\nReferer: http://site/down.htm\r\nAccept: */*\r\n"
        "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
    EXPECT_EQ(OnlyRequest().headers, completed + "\r\nUser-Agent: " + kDefaultAgent + "\r\n");
    EXPECT_EQ(extra, Text(completed));  // completed in place
}

TEST_F(RequestSentTest, CompletesTheCallersLinesByExactCaseSearches) {
    const std::string defaults = "Referer: " + server.HttpUrl("/h") +
                                 "\r\nAccept-Language: zh-cn\r\n"
                                 "Content-Type: application/x-www-form-urlencoded\r\n";
    struct Case {
        const char* extra;
        std::string sent;  // after the Host line
    } cases[] = {
        {"Accept: text/html",
         "Accept: text/html\r\n" + defaults + "User-Agent: " + kDefaultAgent + "\r\n"},
        {"accept: text/html", "accept: text/html\r\nAccept: */*\r\n" + defaults +
                                  "User-Agent: " + kDefaultAgent + "\r\n"},
        // A supplied agent is sent as the caller wrote it, once.
        {"X-A: 1\r\nUser-Agent:  Mine/2 \r\nX-B: 2",
         "X-A: 1\r\nUser-Agent:  Mine/2 \r\nX-B: 2\r\nAccept: */*\r\n" + defaults},
        {"user-agent: small", "user-agent: small\r\nAccept: */*\r\n" + defaults},
        // The agent is read from a name that merely ends in User-Agent; with no line of that
        // name, it is sent as the agent.
        {"X-Original-User-Agent: relay",
         "X-Original-User-Agent: relay\r\nAccept: */*\r\n" + defaults + "User-Agent: relay\r\n"},
        {"Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: a",
         "Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: a\r\n"
         "User-Agent: " +
             kDefaultAgent + "\r\n"},
    };
    for (const auto& c : cases) {
        server.ClearRequests();
        Text extra(c.extra);
        Text cookies;
        WebRequest(Http("/h"), 0, {}, &cookies, nullptr, &extra);
        EXPECT_EQ(OnlyRequest().headers, HostLine() + c.sent) << c.extra;
    }
}

TEST_F(RequestSentTest, CookiesGoOnALineOfTheirOwn) {
    struct Case {
        const char* extra;
        const char* cookies;
        const char* line;
    } cases[] = {
        {"", "a=1", "Cookie: a=1"},
        {"", "Cookie: b=2; c=3", "Cookie: b=2; c=3"},
        {"Cookie: old=1", "a=1", "Cookie: a=1"},  // a Cookie line of the caller's stays too
    };
    for (const auto& c : cases) {
        server.ClearRequests();
        Text extra(c.extra);
        Text cookies(c.cookies);
        WebRequest(Http("/c"), 0, {}, &cookies, nullptr, &extra);
        const std::string headers = OnlyRequest().headers;
        const std::string expected = "Content-Type: application/x-www-form-urlencoded\r\n" +
                                     std::string(c.line) + "\r\nUser-Agent: ";
        EXPECT_NE(headers.find(expected), std::string::npos) << headers;
        EXPECT_EQ(headers.find("Cookie: old=1") != std::string::npos, *c.extra != '\0');
    }
    server.ClearRequests();
    Text noCookies;
    WebRequest(Http("/c"), 0, {}, &noCookies);
    EXPECT_EQ(OnlyRequest().headers.find("Cookie"), std::string::npos);
}

TEST_F(RequestSentTest, OnlyPostAndHeadCarryABody) {
    struct Case {
        int method;
        const char* verb;
        const char* postText;
        const char* postBytes;
        const char* sent;        // body on the wire
        const char* bytesAfter;  // postBytes after the call
    } cases[] = {
        {1, "POST", "a=1&b=2", "", "a=1&b=2", "a=1&b=2"},
        {1, "POST", "a=1", "raw", "raw", "raw"},
        {1, "POST", "", "", "", ""},
        {2, "HEAD", "q=1", "", "q=1", "q=1"},
        {3, "PUT", "a=1", "bytes", "", "bytes"},
        {4, "DELETE", "a=1", "", "", ""},
        {0, "GET", "a=1", "", "", ""},
    };
    for (const auto& c : cases) {
        server.ClearRequests();
        Bytes post{std::string(c.postBytes)};
        Text cookies;
        WebRequest(Http("/form"), c.method, Text(c.postText), &cookies, nullptr, nullptr, nullptr,
                   false, &post);
        auto request = OnlyRequest();
        EXPECT_EQ(request.method, c.verb);
        EXPECT_EQ(request.body, c.sent) << c.verb;
        const bool hasLength = request.headers.find("Content-Length") != std::string::npos;
        EXPECT_EQ(hasLength, c.method == 1 || c.method == 2) << c.verb;
        EXPECT_EQ(post.str(), c.bytesAfter) << c.verb;
    }
}

TEST_F(RequestSentTest, HttpGoesThroughTheProxyAsAnAbsoluteAddress) {
    testing::ForwardProxy proxy;
    server.Route("/via?x=1", MakeResponse(200, "OK", {}, "through the proxy"));
    Text cookies;
    Bytes body = WebRequest(Http("/via?x=1"), 0, {}, &cookies, nullptr, nullptr, nullptr, false,
                            nullptr, Text(proxy.hostPort()));
    EXPECT_EQ(body.str(), "through the proxy");
    auto atProxy = proxy.Requests();
    ASSERT_EQ(atProxy.size(), 1u);
    EXPECT_EQ(atProxy[0].target, server.HttpUrl("/via?x=1"));
    EXPECT_EQ(OnlyRequest().target, "/via?x=1");

    // For https the proxy is asked for a tunnel; this one offers none, so nothing comes back
    // and nothing goes around it.
    server.ClearRequests();
    body = WebRequest(Https("/via"), 0, {}, &cookies, nullptr, nullptr, nullptr, false, nullptr,
                      Text(proxy.hostPort()));
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(proxy.Requests().back().method, "CONNECT");
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace varneth
