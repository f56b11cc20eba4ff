#pragma once
// The demo site's HTML pages, in the layout of the real site: UTF-8, CR LF line ends.
#include <string>

#include "demo_catalogue.h"

namespace varneth::demo {

// `hostPort` is the loopback server's "127.0.0.1:PORT": every absolute link on a page uses it.
std::string ListingHtml(const Catalogue& catalogue, Category category, int page);
std::string DetailHtml(const Subtitle& subtitle, const std::string& hostPort);
std::string DownloadPageHtml(const Subtitle& subtitle, const std::string& hostPort);
std::string HomeHtml();
std::string SiteSearchHtml(const Catalogue& catalogue, const std::string& query);
std::string SourceSearchHtml(const std::string& query);
std::string DoubanHtml(const Catalogue& catalogue, int doubanId);
std::string NotFoundHtml();

// Text for HTML: & < > " escaped.
std::string EscapeHtml(const std::string& text);

}  // namespace varneth::demo
