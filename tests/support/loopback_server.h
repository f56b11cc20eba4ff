#pragma once
// A small loopback HTTP/1.1 site server for the tests, the benchmarks and the demo. It listens on
// 127.0.0.1 at a port the system picks, answers http and https on that one port (a TLS
// handshake is told apart by its first byte, 0x16), records every raw request and answers each
// route with exact bytes, so that header case, order, redirects and broken servers can be staged.
// A connection stays open for a further request when the response's end is plain from its
// Content-Length (libcurl sends a redirect's follow-up on the same connection); otherwise the
// server closes it after the response. Faults always end the connection.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varneth::testing {

struct RecordedRequest {
    std::string raw;      // request line, headers and body exactly as received
    std::string method;   // "GET"
    std::string target;   // "/newsubs?p=1"
    std::string headers;  // the header lines as received, each ended by "\r\n"
    std::string body;
    bool tls = false;
};

enum class Fault {
    CloseMidBody,  // sends the response's first half, then closes
    Stall,         // sends the header block, then nothing until the server stops
    Garbage,       // answers with bytes that are not HTTP, then closes
};

// Builds a raw response: status line, the headers in the given order, Content-Length (unless a
// header of that name is given), an empty line and the body.
std::string MakeResponse(int status, std::string_view reason,
                         const std::vector<std::pair<std::string, std::string>>& headers,
                         std::string_view body);

class LoopbackServer {
  public:
    using Handler = std::function<std::string(const RecordedRequest&)>;

    LoopbackServer();  // listening once constructed
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const;
    std::string hostPort() const;  // "127.0.0.1:PORT"
    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT" followed by `target`.
    std::string HttpUrl(std::string_view target) const;
    std::string HttpsUrl(std::string_view target) const;
    // PEM of the CA that signed the server's certificate (made at construction).
    std::string caPem() const;
    // PEM of a second CA that nothing trusts: ServeUntrusted() switches the server to a
    // certificate signed by it.
    void ServeUntrusted(bool untrusted);

    // Routes match the request target (path and query) exactly; later routes replace earlier.
    void Route(const std::string& target, std::string rawResponse);
    void Route(const std::string& target, Handler handler);
    void RouteFault(const std::string& target, Fault fault, std::string rawResponse = {});
    // Answers every target without a route (default: a 404 page). Handlers run on the
    // connection's own thread, possibly several at once.
    void SetFallback(Handler handler);

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace varneth::testing
