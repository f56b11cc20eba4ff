#pragma once
// One HTTP/1.1 exchange over libcurl, as the request engine describes it. The verb, the request
// target and the header lines go out exactly as given; the only lines added are Host, a body's
// Content-Length and, when the header text has none, the User-Agent line.
#include <string>

namespace varneth::platform {

struct HttpRequest {
    std::string verb = "GET";
    bool https = false;
    std::string host;        // as the engine split it from the address
    int port = 80;           // 0 means the scheme's own port
    std::string path = "/";  // the request target with its query
    std::string headerText;  // header lines joined by "\r\n", without a final one
    // The client's agent, as the Windows client is opened with it: it becomes a User-Agent
    // line after the header text unless the header text has one of its own.
    std::string userAgent;
    bool sendBody = false;  // false: no body and no Content-Length
    std::string body;
    std::string proxy;  // libcurl form ("http://host:port"); empty for a direct connection
    bool forbidRedirect = false;
};

struct HttpResult {
    // False when the exchange could not even begin (no handle, no host, a port out of range,
    // a target libcurl cannot take): nothing was sent, and the caller changes nothing.
    bool opened = false;
    std::string body;  // what arrived of the final response's body, even if the transfer broke
    // The final response's header block as received: status line, each header line, then an
    // empty line, all ended by "\r\n". Empty when no complete block arrived.
    std::string rawHeaders;
};

HttpResult PerformHttpRequest(const HttpRequest& request);

}  // namespace varneth::platform
