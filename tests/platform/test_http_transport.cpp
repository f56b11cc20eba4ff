#include "platform/http_transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/transport_settings.h"
#include "support/loopback_server.h"

namespace varneth::platform {
namespace {

using testing::Fault;
using testing::LoopbackServer;
using testing::MakeResponse;
using Clock = std::chrono::steady_clock;

class HttpTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TransportSettings settings;
        settings.extraCaPem = server.caPem();
        SetTransportSettings(settings);
    }
    void TearDown() override { SetTransportSettings(TransportSettings{}); }

    HttpRequest To(const std::string& path, bool https = false) const {
        HttpRequest request;
        request.https = https;
        request.host = "127.0.0.1";
        request.port = server.port();
        request.path = path;
        return request;
    }
    std::string Host() const { return "Host: " + server.hostPort() + "\r\n"; }

    LoopbackServer server;
};

TEST_F(HttpTransportTest, SendsOnlyTheLinesItWasGivenAndTheAgentAfterThem) {
    server.Route("/p", MakeResponse(200, "OK", {}, "page"));
    struct Case {
        const char* headerText;
        const char* agent;
        std::string expected;  // after the Host line
    } cases[] = {
        {"Accept: */*\r\nX-A: 1", "", "Accept: */*\r\nX-A: 1\r\n"},
        {"Accept: */*\r\nX-A: 1", "Agent/1", "Accept: */*\r\nX-A: 1\r\nUser-Agent: Agent/1\r\n"},
        {"User-Agent: Mine\r\nAccept: */*", "Agent/1", "User-Agent: Mine\r\nAccept: */*\r\n"},
        {"user-agent: small\r\nAccept: x", "small", "user-agent: small\r\nAccept: x\r\n"},
        // libcurl would add none of its Accept, Expect or Content-Type lines either way.
        {"X-Only: 1", "", "X-Only: 1\r\n"},
        // A blank value is still sent; a lone line feed cannot smuggle in a line that is not a
        // header, nor end the block early.
        {"X-Empty:\r\nAccept: a", "", "X-Empty:\r\nAccept: a\r\n"},
        {"Accept: a\nX-B: 2\r\n\r\nGET /other", "", "Accept: a\r\nX-B: 2\r\n"},
    };
    for (const auto& c : cases) {
        server.ClearRequests();
        HttpRequest request = To("/p");
        request.headerText = c.headerText;
        request.userAgent = c.agent;
        HttpResult result = PerformHttpRequest(request);
        EXPECT_EQ(result.body, "page") << c.headerText;
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u) << c.headerText;
        EXPECT_EQ(requests[0].raw.substr(0, 21), "GET /p HTTP/1.1\r\nHost");
        EXPECT_EQ(requests[0].headers, Host() + c.expected) << c.headerText;
    }
}

TEST_F(HttpTransportTest, BodyGoesOutWithItsContentLengthOnly) {
    server.Route("/form", MakeResponse(200, "OK", {}, "taken"));
    HttpRequest request = To("/form");
    request.verb = "POST";
    request.headerText = "Accept: */*";
    request.sendBody = true;
    request.body = std::string(2 << 20, 'b');  // past libcurl's threshold for Expect
    request.body[7] = '\0';
    HttpResult result = PerformHttpRequest(request);
    EXPECT_EQ(result.body, "taken");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].headers, Host() + "Accept: */*\r\nContent-Length: 2097152\r\n");
    EXPECT_EQ(requests[0].body, request.body);
}

TEST_F(HttpTransportTest, OtherVerbsGoOutAsGivenWithoutBody) {
    server.SetFallback(
        [](const testing::RecordedRequest&) { return MakeResponse(200, "OK", {}, "answer"); });
    for (const char* verb : {"PUT", "DELETE", "OPTIONS", "TRACE", "CONNECT", "GET"}) {
        server.ClearRequests();
        HttpRequest request = To("/v?x=1");
        request.verb = verb;
        request.headerText = "Accept: */*";
        HttpResult result = PerformHttpRequest(request);
        EXPECT_EQ(result.body, "answer") << verb;
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u) << verb;
        EXPECT_EQ(requests[0].raw.substr(0, requests[0].raw.find("\r\n")),
                  std::string(verb) + " /v?x=1 HTTP/1.1");
        EXPECT_EQ(requests[0].headers, Host() + "Accept: */*\r\n") << verb;
    }
}

TEST_F(HttpTransportTest, HeadCarriesItsBodyAndEndsWithTheHeaderBlock) {
    // A HEAD answer announces a length but sends no body, and the server keeps the connection:
    // waiting for the body would hang.
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
    server.RouteFault("/h", Fault::Stall, head);
    HttpRequest request = To("/h");
    request.verb = "HEAD";
    request.headerText = "Accept: */*";
    request.sendBody = true;
    request.body = "a=1";
    auto start = Clock::now();
    HttpResult result = PerformHttpRequest(request);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(result.rawHeaders, head);
    EXPECT_EQ(result.body, "");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[0].body, "a=1");
    EXPECT_EQ(requests[0].headers, Host() + "Accept: */*\r\nContent-Length: 3\r\n");

    server.ClearRequests();
    request.sendBody = false;
    result = PerformHttpRequest(request);
    EXPECT_EQ(result.rawHeaders, head);
    requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[0].headers, Host() + "Accept: */*\r\n");
}

TEST_F(HttpTransportTest, DeliversTheFinalResponseOfARedirectChain) {
    server.Route("/a", MakeResponse(302, "Found", {{"Location", "/b"}}, "moved to b"));
    server.Route("/b", MakeResponse(301, "Moved", {{"Location", server.HttpUrl("/c")}}, "moved"));
    const std::string final = "HTTP/1.1 200 OK\r\nX-Final: yes\r\nContent-Length: 4\r\n\r\n";
    server.Route("/c", final + "done");

    HttpResult followed = PerformHttpRequest(To("/a"));
    EXPECT_EQ(followed.body, "done");
    EXPECT_EQ(followed.rawHeaders, final);

    HttpRequest forbidden = To("/a");
    forbidden.forbidRedirect = true;
    HttpResult first = PerformHttpRequest(forbidden);
    EXPECT_EQ(first.body, "moved to b");
    EXPECT_EQ(first.rawHeaders, "HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 10\r\n\r\n");
}

TEST_F(HttpTransportTest, FollowsAtMostTwentyRedirects) {
    for (int i = 0; i < 22; ++i) {
        server.Route("/r" + std::to_string(i),
                     MakeResponse(302, "Found", {{"Location", "/r" + std::to_string(i + 1)}}, ""));
    }
    server.Route("/r20", MakeResponse(200, "OK", {}, "twenty"));
    EXPECT_EQ(PerformHttpRequest(To("/r0")).body, "twenty");
    server.Route("/r20", MakeResponse(302, "Found", {{"Location", "/r21"}}, ""));
    server.Route("/r21", MakeResponse(200, "OK", {}, "too far"));
    server.ClearRequests();
    EXPECT_EQ(PerformHttpRequest(To("/r0")).body, "");
    EXPECT_EQ(server.Requests().size(), 21u);
}

TEST_F(HttpTransportTest, RedirectsLeadOnlyToHttpOrHttps) {
    for (const char* location :
         {"file:///etc/hostname", "ftp://127.0.0.1/x", "dict://127.0.0.1/"}) {
        server.Route("/away", MakeResponse(302, "Found", {{"Location", location}}, "x"));
        HttpResult result = PerformHttpRequest(To("/away"));
        EXPECT_EQ(result.body, "") << location;
    }
}

TEST_F(HttpTransportTest, HeaderLinesEndWithCrLfAsTheWindowsClientDeliversThem) {
    server.Route("/lf", std::string("HTTP/1.1 200 OK\nX-A:  spaced \nContent-Length: 2\n\nok"));
    HttpResult result = PerformHttpRequest(To("/lf"));
    EXPECT_EQ(result.body, "ok");
    EXPECT_EQ(result.rawHeaders, "HTTP/1.1 200 OK\r\nX-A:  spaced \r\nContent-Length: 2\r\n\r\n");
}

TEST_F(HttpTransportTest, HttpsIsVerifiedAgainstTheTrustedCas) {
    server.Route("/s", MakeResponse(200, "OK", {}, "secret"));
    HttpResult trusted = PerformHttpRequest(To("/s", true));
    EXPECT_EQ(trusted.body, "secret");
    EXPECT_TRUE(server.Requests().back().tls);

    server.ServeUntrusted(true);
    HttpResult untrusted = PerformHttpRequest(To("/s", true));
    EXPECT_TRUE(untrusted.opened);
    EXPECT_EQ(untrusted.body, "");
    EXPECT_EQ(untrusted.rawHeaders, "");
    server.ServeUntrusted(false);

    SetTransportSettings(TransportSettings{});  // the system's store alone
    EXPECT_EQ(PerformHttpRequest(To("/s", true)).body, "");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpTransportTest, RequestsThatCannotBeginSendNothing) {
    struct Case {
        const char* what;
        HttpRequest request;
        bool opened;
    };
    std::vector<Case> cases;
    cases.push_back({"empty host", To("/"), false});
    cases.back().request.host = "";
    cases.push_back({"negative port", To("/"), false});
    cases.back().request.port = -1;
    cases.push_back({"port past 65535", To("/"), false});
    cases.back().request.port = 65536 + server.port();
    cases.push_back({"line break in the target", To("/a\r\nX-Injected: 1"), false});
    // A host name no resolver could take fails only when sent, like an unknown name.
    cases.push_back({"user name in the host", To("/"), true});
    cases.back().request.host = "evil@127.0.0.1";
    for (const auto& c : cases) {
        HttpResult result = PerformHttpRequest(c.request);
        EXPECT_EQ(result.opened, c.opened) << c.what;
        EXPECT_EQ(result.body, "") << c.what;
        EXPECT_EQ(result.rawHeaders, "") << c.what;
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HttpTransportTest, TargetGoesOutAsBuilt) {
    server.SetFallback(
        [](const testing::RecordedRequest&) { return MakeResponse(200, "OK", {}, ""); });
    struct Case {
        std::string path;
        std::string sent;
    } cases[] = {
        {"/a/../b/./c?x=1&y=%41", "/a/../b/./c?x=1&y=%41"},
        {"//double", "//double"},
        {"/with space", "/with%20space"},
        // libcurl writes bytes past ASCII in the path (not the query) as %XX, as browsers do;
        // the server reads the same bytes.
        {"/\xd6\xd0\xce\xc4?q=\xd7\xd6", "/%d6%d0%ce%c4?q=\xd7\xd6"},
    };
    for (const auto& c : cases) {
        server.ClearRequests();
        EXPECT_TRUE(PerformHttpRequest(To(c.path)).opened) << c.path;
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u) << c.path;
        EXPECT_EQ(requests[0].target, c.sent);
    }
}

TEST_F(HttpTransportTest, NoProxyIsTakenFromTheEnvironment) {
    server.Route("/direct", MakeResponse(200, "OK", {}, "direct"));
    ::setenv("http_proxy", "http://127.0.0.1:1", 1);
    ::setenv("HTTPS_PROXY", "http://127.0.0.1:1", 1);
    HttpResult plain = PerformHttpRequest(To("/direct"));
    HttpResult secure = PerformHttpRequest(To("/direct", true));
    ::unsetenv("http_proxy");
    ::unsetenv("HTTPS_PROXY");
    EXPECT_EQ(plain.body, "direct");
    EXPECT_EQ(secure.body, "direct");
}

TEST_F(HttpTransportTest, CancelAllTransfersEndsARunningTransferOnly) {
    server.RouteFault("/stall", Fault::Stall);
    server.Route("/ok", MakeResponse(200, "OK", {}, "fine"));
    auto stalled = std::async(std::launch::async, [&] { return PerformHttpRequest(To("/stall")); });
    while (server.Requests().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto start = Clock::now();
    CancelAllTransfers();
    ASSERT_EQ(stalled.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    HttpResult cancelled = stalled.get();
    EXPECT_TRUE(cancelled.opened);
    EXPECT_EQ(cancelled.rawHeaders.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(PerformHttpRequest(To("/ok")).body, "fine");
}

}  // namespace
}  // namespace varneth::platform
