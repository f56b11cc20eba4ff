#pragma once
// A tiny forward HTTP proxy on loopback for tests: it takes "GET http://127.0.0.1:PORT/path
// HTTP/1.1", asks the origin for "/path" with the same headers and body, and hands the answer
// back unchanged. Only loopback origins are served; CONNECT tunnels are not offered.
#include <string>
#include <vector>

#include "support/loopback_server.h"

namespace varneth::testing {

class ForwardProxy {
  public:
    ForwardProxy();
    int port() const { return server_.port(); }
    std::string hostPort() const { return server_.hostPort(); }
    // The requests as the proxy received them (absolute targets).
    std::vector<RecordedRequest> Requests() const { return server_.Requests(); }

  private:
    LoopbackServer server_;
};

}  // namespace varneth::testing
