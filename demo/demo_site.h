#pragma once
// The bundled offline copy of the site, served in-process on loopback: one port answers http and
// https for Lumora, its download server, the film-source search and Douban's film pages.
#include <memory>
#include <string>

#include "demo_catalogue.h"
#include "support/loopback_server.h"

namespace varneth::demo {

class DemoSite {
  public:
    DemoSite();  // serving once constructed
    ~DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    std::string hostPort() const { return server_.hostPort(); }
    std::string caPem() const { return server_.caPem(); }
    const Catalogue& catalogue() const { return catalogue_; }
    testing::LoopbackServer& server() { return server_; }

    // The raw response for a request target (path and query), as the server sends it.
    std::string Answer(const std::string& target) const;

  private:
    Catalogue catalogue_;
    testing::LoopbackServer server_;
};

// "%E4%B8%AD+x" to "中 x"; bytes that are not escapes stay as they are.
std::string DecodeQueryValue(const std::string& value);

}  // namespace varneth::demo
