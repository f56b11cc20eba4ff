// Broken servers, broken connections and requests that cannot begin.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "engine_fixture.h"
#include "web/web_request.h"

namespace varneth {
namespace {

using testing::Fault;
using testing::MakeResponse;
using Clock = std::chrono::steady_clock;

const Text kNothingReceived(std::string(5000, ' '));

// A port on loopback where nothing listens.
int ClosedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// Every in/out argument of one call, so that a test can see what the call changed.
struct Arguments {
    Text submitted{"sent=1; x = 2"};
    Text returnedCookies{"before"};
    Text extra{"X-Mine: 1"};
    Text headers{"untouched"};
    Bytes post{std::string("post bytes")};

    Bytes Call(const Text& url, int method = 1) {
        return WebRequest(url, method, Text("text"), &submitted, &returnedCookies, &extra, &headers,
                          false, &post);
    }
};

class FailureTest : public EngineTest {};

TEST_F(FailureTest, NothingReceivedLeavesTheHeaderBufferAndStillMerges) {
    server.ServeUntrusted(true);
    server.RouteFault("/garbage", Fault::Garbage);
    const Text cases[] = {
        Https("/page"),                                                  // untrusted certificate
        Text("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"),  // refused
        Http("/garbage"),                                                // not HTTP at all
    };
    for (const Text& url : cases) {
        Arguments args;
        EXPECT_TRUE(args.Call(url).empty()) << url.str();
        EXPECT_EQ(args.headers, kNothingReceived) << url.str();
        EXPECT_EQ(args.returnedCookies, Text("sent=1; x=2")) << url.str();
        EXPECT_EQ(args.submitted, Text("sent=1; x=2"));
        EXPECT_EQ(args.extra.str().substr(0, 22), "X-Mine: 1\r\nAccept: */*");
    }
    // The certificate failure is final: no request reached the server in any other way.
    for (const auto& request : server.Requests())
        EXPECT_NE(request.target, "/page");
}

TEST_F(FailureTest, RequestsThatCannotOpenChangeNoArgument) {
    const Text cases[] = {
        Text("http://"),                       // no host
        Text("https:///path"),                 // no host either
        Text("http://127.0.0.1:70000/"),       // no such port
        Text("http://127.0.0.1:1/a\r\nX: 1"),  // a target that cannot be sent
    };
    for (const Text& url : cases) {
        Arguments args;
        EXPECT_TRUE(args.Call(url).empty()) << url.str();
        EXPECT_EQ(args.submitted, Text("sent=1; x = 2"));
        EXPECT_EQ(args.returnedCookies, Text("before"));
        EXPECT_EQ(args.extra, Text("X-Mine: 1"));
        EXPECT_EQ(args.headers, Text("untouched"));
        EXPECT_EQ(args.post.str(), "post bytes");
    }
    Arguments unknownMethod;
    EXPECT_TRUE(unknownMethod.Call(Http("/"), 8).empty());
    EXPECT_EQ(unknownMethod.headers, Text("untouched"));
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(FailureTest, BrokenBodiesKeepWhatArrived) {
    const std::string response = MakeResponse(200, "OK", {}, std::string(4000, 'm'));
    server.RouteFault("/mid", Fault::CloseMidBody, response);
    Arguments args;
    Bytes body = args.Call(Http("/mid"), 0);
    EXPECT_EQ(body.str(), std::string(2000, 'm'));
    EXPECT_EQ(args.headers.str(), response.substr(0, response.find("\r\n\r\n") + 4));
}

TEST_F(FailureTest, StalledServerIsGivenUpAfterTheLowSpeedTime) {
    platform::TransportSettings settings;
    settings.lowSpeedTimeSeconds = 1;
    Trust(settings);
    server.RouteFault("/stall", Fault::Stall,
                      "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(100, 's'));
    Arguments args;
    auto start = Clock::now();
    Bytes body = args.Call(Http("/stall"), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(args.headers.str(), "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
}

TEST_F(FailureTest, CancelAllTransfersEndsAStalledRequestQuickly) {
    server.RouteFault("/stall", Fault::Stall);
    auto running = std::async(std::launch::async, [&] {
        Text cookies;
        return WebRequest(Http("/stall"), 0, {}, &cookies);
    });
    while (server.Requests().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto start = Clock::now();
    platform::CancelAllTransfers();
    ASSERT_EQ(running.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_TRUE(running.get().empty());
}

}  // namespace
}  // namespace varneth
