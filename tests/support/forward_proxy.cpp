#include "support/forward_proxy.h"

#include <string_view>

#include "support/raw_client.h"

namespace varneth::testing {

namespace {

std::string Forward(const RecordedRequest& request) {
    constexpr std::string_view kLoopback = "http://127.0.0.1:";
    std::string_view target = request.target;
    if (target.substr(0, kLoopback.size()) != kLoopback) {
        return MakeResponse(502, "Bad Gateway", {}, "only loopback origins");
    }
    target.remove_prefix(kLoopback.size());
    std::size_t slash = target.find('/');
    std::string_view portText = target.substr(0, slash);
    if (portText.empty() || portText.size() > 5 ||
        portText.find_first_not_of("0123456789") != std::string_view::npos) {
        return MakeResponse(502, "Bad Gateway", {}, "bad origin port");
    }
    std::string path = slash == std::string_view::npos ? "/" : std::string(target.substr(slash));
    std::string raw =
        request.method + " " + path + " HTTP/1.1\r\n" + request.headers + "\r\n" + request.body;
    RawExchange answer = ExchangeRaw(std::stoi(std::string(portText)), raw, 10000);
    if (!answer.connected)
        return MakeResponse(502, "Bad Gateway", {}, "origin refused");
    return answer.received;
}

}  // namespace

ForwardProxy::ForwardProxy() {
    server_.SetFallback(Forward);
}

}  // namespace varneth::testing
