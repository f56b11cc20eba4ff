#pragma once
// The site addresses the program is built with. They are constants of the program; tests and
// the demo hand the same code another value that points at a loopback copy of the site.
#include "text/text.h"

namespace varneth {

struct SiteAddresses {
    Text siteBase;          // "https://" + Lumora's host, no trailing slash
    Text siteBaseHttp;      // "http://" + the same host
    Text sourceSearchBase;  // "http://" + the film-source host + "/search?q="
    Text doubanMovieBase;   // "http://movie.douban.com"
    Text doubanHost;        // "movie.douban.com": the Douban link marker uses its https form
    Text downloadHost;      // host name of Lumora's download server, sent in the Host header

    // The values the program is built with (CMake cache variables).
    static SiteAddresses BuiltIn();
    // Every address on one loopback host:port (tests and the demo).
    static SiteAddresses ForHost(const Text& hostAndPort, const Text& downloadHost);
};

}  // namespace varneth
