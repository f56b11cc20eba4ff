#pragma once
// A bare TCP client for tests that must send bytes no HTTP library would send, and for the
// forward proxy: connects to 127.0.0.1, sends the bytes as they are, ends its sending side and
// reads until the peer closes or the time runs out.
#include <string>
#include <string_view>

namespace varneth::testing {

struct RawExchange {
    bool connected = false;
    std::string received;
};

RawExchange ExchangeRaw(int port, std::string_view bytes, int timeoutMs = 5000);

}  // namespace varneth::testing
