#include "platform/proxy_list.h"

#include <gtest/gtest.h>

namespace varneth::platform {
namespace {

struct ProxyCase {
    const char* list;
    bool https;
    const char* expected;
};

TEST(ProxyListTest, PicksTheEntryThatServesTheScheme) {
    const ProxyCase cases[] = {
        {"", false, ""},
        {"   ", true, ""},
        {"127.0.0.1:8080", false, "http://127.0.0.1:8080"},
        {"127.0.0.1:8080", true, "http://127.0.0.1:8080"},
        // The engine hands "http=" and the proxy for http addresses: it serves http only.
        {"http=127.0.0.1:8080", false, "http://127.0.0.1:8080"},
        {"http=127.0.0.1:8080", true, ""},
        {"HTTPS=p:1", true, "http://p:1"},
        {"http=a:1 https=b:2", true, "http://b:2"},
        {"http=a:1;https=b:2", false, "http://a:1"},
        {"c:3 https=b:2", true, "http://b:2"},
        {"https=b:2 c:3", false, "http://c:3"},
        {"socks=s:1080", false, "socks4://s:1080"},
        {"http=", false, ""},
        {"http://p:3128", false, "http://p:3128"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LibcurlProxyFor(c.list, c.https), c.expected)
            << "list \"" << c.list << "\" https " << c.https;
    }
}

}  // namespace
}  // namespace varneth::platform
