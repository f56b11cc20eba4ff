// The loopback server is also the demo's site, a long-running process: these guard that no
// client can crash it or keep it from stopping.
#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>

#include "platform/http_transport.h"
#include "support/raw_client.h"

namespace varneth::testing {
namespace {

using Clock = std::chrono::steady_clock;

int ConnectTo(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST(LoopbackServerTest, BadClientsLeaveItServing) {
    LoopbackServer server;
    server.Route("/ok", MakeResponse(200, "OK", {}, "fine"));
    const std::string bad[] = {
        "",
        "GARBAGE\r\n\r\n",
        std::string("\x16\x03\x01\x00\x05hello"),  // a TLS record that is no handshake
        "GET /ok HTTP/1.1\r\nContent-Length: 99999999999999\r\n\r\n",
        "GET /ok HTTP/1.1\r\nContent-Length: -5\r\n\r\n",
        "GET /ok HTTP/1.1\r\nContent-Length: 10\r\n\r\nshort",
        "GET /ok HTTP/1.1\r\nHost: x",  // never ends
    };
    for (const auto& bytes : bad)
        ExchangeRaw(server.port(), bytes, 200);
    RawExchange good = ExchangeRaw(server.port(), "GET /ok HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(good.received, MakeResponse(200, "OK", {}, "fine"));
}

TEST(LoopbackServerTest, AnswersMalformedRequestsWithBadRequest) {
    LoopbackServer server;
    RawExchange answer = ExchangeRaw(server.port(), "GARBAGE\r\n\r\n");
    EXPECT_EQ(answer.received.substr(0, 24), "HTTP/1.1 400 Bad Request");
    EXPECT_TRUE(server.Requests().empty());
}

TEST(LoopbackServerTest, RecordsTheWholeRequestIncludingItsBody) {
    LoopbackServer server;
    const std::string raw = "POST /f?a=1 HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nx=y";
    RawExchange answer = ExchangeRaw(server.port(), raw);
    EXPECT_EQ(answer.received.substr(0, 12), "HTTP/1.1 404");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].raw, raw);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/f?a=1");
    EXPECT_EQ(requests[0].headers, "Host: h\r\nContent-Length: 3\r\n");
    EXPECT_EQ(requests[0].body, "x=y");
    EXPECT_FALSE(requests[0].tls);
}

TEST(LoopbackServerTest, StopsPromptlyWhileClientsStallOrAreStalled) {
    auto server = std::make_unique<LoopbackServer>();
    server->RouteFault("/stall", Fault::Stall);
    int silent = ConnectTo(server->port());  // connects and never sends
    int half = ConnectTo(server->port());
    ASSERT_EQ(::send(half, "GET / HTTP/1.1\r\n", 16, 0), 16);
    platform::HttpRequest request;
    request.host = "127.0.0.1";
    request.port = server->port();
    request.path = "/stall";
    auto stalled =
        std::async(std::launch::async, [request] { return platform::PerformHttpRequest(request); });
    while (server->Requests().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    auto start = Clock::now();
    server.reset();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    // The stalled client sees the end of the connection.
    ASSERT_EQ(stalled.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(stalled.get().rawHeaders.substr(0, 15), "HTTP/1.1 200 OK");
    ::close(silent);
    ::close(half);
}

TEST(LoopbackServerTest, FaultsBreakTheResponseAsStaged) {
    LoopbackServer server;
    const std::string response = MakeResponse(200, "OK", {}, "0123456789");
    server.RouteFault("/mid", Fault::CloseMidBody, response);
    server.RouteFault("/junk", Fault::Garbage);
    EXPECT_EQ(ExchangeRaw(server.port(), "GET /mid HTTP/1.1\r\n\r\n").received,
              response.substr(0, response.size() - 5));
    std::string junk = ExchangeRaw(server.port(), "GET /junk HTTP/1.1\r\n\r\n").received;
    EXPECT_FALSE(junk.empty());
    EXPECT_NE(junk.substr(0, 5), "HTTP/");
}

}  // namespace
}  // namespace varneth::testing
