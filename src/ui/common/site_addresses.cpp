#include "ui/common/site_addresses.h"

namespace varneth {

namespace {
const char* const kDoubanHost = "movie.douban.com";
}

SiteAddresses SiteAddresses::BuiltIn() {
    SiteAddresses a;
    a.siteBase = Text("https://") + VARNETH_SITE_HOST;
    a.siteBaseHttp = Text("http://") + VARNETH_SITE_HOST;
    a.sourceSearchBase = Text("http://") + VARNETH_SOURCE_HOST + "/search?q=";
    a.doubanHost = kDoubanHost;
    a.doubanMovieBase = Text("http://") + kDoubanHost;
    a.downloadHost = VARNETH_DOWNLOAD_HOST;
    return a;
}

SiteAddresses SiteAddresses::ForHost(const Text& hostAndPort, const Text& downloadHost) {
    // One loopback server stands in for every site; the Douban marker keeps its https form.
    SiteAddresses a;
    a.siteBase = Text("https://") + hostAndPort;
    a.siteBaseHttp = Text("http://") + hostAndPort;
    a.sourceSearchBase = Text("http://") + hostAndPort + "/source/search?q=";
    a.doubanHost = hostAndPort;
    a.doubanMovieBase = Text("http://") + hostAndPort;
    a.downloadHost = downloadHost;
    return a;
}

}  // namespace varneth
