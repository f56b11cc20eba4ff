#pragma once
// The Windows proxy list ("host:port", "http=host:port https=host:port", "socks=host:port",
// entries separated by spaces or ";") read for one address, in the form libcurl takes.
#include <string>
#include <string_view>

namespace varneth::platform {

// The proxy to use for an http or https address: "http://host:port" (or "socks4://host:port"),
// or empty for a direct connection (an empty list, or no entry that serves the scheme). An
// entry of the scheme's own wins over one without a scheme, which serves every scheme.
std::string LibcurlProxyFor(std::string_view proxyList, bool https);

}  // namespace varneth::platform
