#include <gtest/gtest.h>

#include <optional>

#include "web/url.h"

namespace varneth {
namespace {

struct HostCase {
    const char* url;
    bool mainDomainOnly;
    bool keepPort;
    std::optional<int> extraLevels;
    const char* expected;
    const char* why;
};

TEST(UrlHost, SchemeHostAndPort) {
    const HostCase cases[] = {
        {"https://WWW.Lumora.COM/Sub/1.html", false, false, {}, "www.lumora.com", "lower case"},
        {"HTTPS://www.lumora.com", false, false, {}, "www.lumora.com", "capital scheme"},
        {"http://Host.Example:8080/x", false, false, {}, "host.example", "port cut"},
        {"http://Host.Example:8080/x", false, true, {}, "host.example:8080", "port kept"},
        {"www.lumora.com/newsubs?p=1", false, false, {}, "www.lumora.com", "no scheme is http"},
        {"127.0.0.1:81", false, true, {}, "127.0.0.1:81", "no scheme and no path"},
        {"https://", false, false, {}, "", "only a scheme"},
        {"http://", false, false, {}, "", "only the http scheme"},
        {"", false, false, {}, "", "empty address"},
        {"ftp://a.b/c", false, false, {}, "ftp", "an unknown scheme becomes the host"},
        {"x?u=http://inner.host/y", false, false, {}, "inner.host", "the first http:// wins"},
        {"https://a.b?q=1", false, false, {}, "a.b?q=1", "the host runs to the first slash"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlHost(Text(c.url), c.mainDomainOnly, c.keepPort, c.extraLevels),
                  Text(c.expected))
            << c.why << ": " << c.url;
    }
}

TEST(UrlHost, MainDomainAndLevels) {
    const HostCase cases[] = {
        // First way: the last two labels.
        {"http://www.lumora.com/", true, false, {}, "lumora.com", "three labels"},
        {"http://a.b.lumora.com:81/", true, false, {}, "lumora.com", "port cut at the end"},
        {"http://a.b.lumora.com:81/", true, true, {}, "lumora.com:81", "port on the last label"},
        {"http://localhost/", true, false, {}, "localhost", "one label stays"},
        // Second way: extraLevels given, even as 0.
        {"http://www.lumora.com/", true, false, 0, "com", "0, main domain: last label"},
        {"http://www.lumora.com/", false, false, 0, "lumora.com", "0: last two labels"},
        {"http://localhost/", true, false, 0, "localhost", "0, no dots, main domain"},
        {"http://localhost/", false, false, 0, "localhost", "0, no dots"},
        {"https://a.b.c.d/x", true, false, 1, "c.d", "1, main domain: two of four labels"},
        {"https://a.b.c.d/x", false, false, 1, "b.c.d", "1: three of four labels"},
        {"https://b.c/x", false, false, 1, "b.c", "fewer labels than asked: all of them"},
        {"https://b.c/x", true, false, 1, "b.c", "... with main domain too"},
        {"a.b.c.d", false, false, 5, "a.b.c.d", "many levels"},
        {"a.b.c", true, false, -3, "c", "a negative count is 0"},
        {"www.lumora.com.", true, false, 0, "com.", "the last byte is not searched"},
        {"HTTP://X.Y.Z:81/p", false, false, 0, "y.z", "the port is cut at the end"},
        {"HTTP://X.Y.Z:81/p", false, true, 0, "y.z:81", "or kept"},
        {"a.b.c.d/http://x", false, false, 0, "c.d", "schemes deleted anywhere, then cut at /"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlHost(Text(c.url), c.mainDomainOnly, c.keepPort, c.extraLevels),
                  Text(c.expected))
            << c.why << ": " << c.url;
    }
}

TEST(UrlPort, ExplicitPortOrTheSchemesDefault) {
    const struct {
        const char* url;
        int expected;
    } cases[] = {
        {"https://a.com:81/x", 81},
        {"http://a.com:81/x", 81},
        {"https://a.com/x", 443},
        {"HTTPS://a.com", 443},
        {"http://a.com/x", 80},
        {"a.com/x", 80},
        {"https://a.com:/x", 0},
        {"http://a.com:8x/", 8},
        {"httpsite.com/x", 443},
        {"http://a:1:2/", 2},
        {"", 80},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlPort(Text(c.url)), c.expected) << c.url;
    }
}

TEST(UrlPath, FromTheFirstSlashAfterTheHost) {
    const struct {
        const char* url;
        const char* expected;
    } cases[] = {
        {"https://www.lumora.com", "/"},
        {"https://www.lumora.com/", "/"},
        {"https://WWW.Lumora.com/Sub/A.html?Q=X#F", "/Sub/A.html?Q=X#F"},
        {"http://127.0.0.1:8080/newsubs?p=2", "/newsubs?p=2"},
        {"www.lumora.com/a", "/a"},
        {"http://a.com?x=/y", "/y"},  // the host holds the query up to the slash
        {"", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlPath(Text(c.url)), Text(c.expected)) << c.url;
    }
}

}  // namespace
}  // namespace varneth
