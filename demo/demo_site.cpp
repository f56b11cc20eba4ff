#include "demo_site.h"

#include <cstdlib>

#include "demo_pages.h"
#include "subtitle_files.h"

namespace varneth::demo {

namespace {

using testing::MakeResponse;

std::string Page(int status, const char* reason, const std::string& html) {
    return MakeResponse(status, reason,
                        {{"Content-Type", "text/html; charset=utf-8"},
                         {"Cache-Control", "no-cache"},
                         {"Connection", "close"}},
                        html);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The number at `from` in `text`, up to the first non-digit; -1 when there is none.
int NumberAt(const std::string& text, std::size_t from, std::size_t* end = nullptr) {
    std::size_t i = from;
    long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000) {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (end)
        *end = i;
    return i == from ? -1 : static_cast<int>(value);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string QueryValue(const std::string& target, const std::string& prefix) {
    return DecodeQueryValue(target.substr(prefix.size()));
}

}  // namespace

std::string DecodeQueryValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '+') {
            out += ' ';
        } else if (value[i] == '%' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
                   HexDigit(value[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

DemoSite::DemoSite() {
    server_.SetFallback(
        [this](const testing::RecordedRequest& request) { return Answer(request.target); });
}

DemoSite::~DemoSite() = default;

std::string DemoSite::Answer(const std::string& target) const {
    const std::string host = server_.hostPort();
    // Listing pages: /newsubs?p=N, /newsubs?t=mv&p=N, /newsubs?t=tv&p=N.
    static const struct {
        const char* prefix;
        Category category;
    } kListings[] = {{"/newsubs?p=", Category::All},
                     {"/newsubs?t=mv&p=", Category::Films},
                     {"/newsubs?t=tv&p=", Category::Series}};
    for (const auto& listing : kListings) {
        if (!StartsWith(target, listing.prefix))
            continue;
        std::size_t end = 0;
        const int page = NumberAt(target, std::string(listing.prefix).size(), &end);
        if (page < 1 || end != target.size())
            return Page(404, "Not Found", NotFoundHtml());
        // Past the last page the site shows its frame without rows.
        return Page(200, "OK", ListingHtml(catalogue_, listing.category, page));
    }
    if (StartsWith(target, "/detail/")) {
        std::size_t end = 0;
        const Subtitle* s = catalogue_.Find(NumberAt(target, 8, &end));
        if (s && target.substr(end) == ".html")
            return Page(200, "OK", DetailHtml(*s, host));
    } else if (StartsWith(target, "/download/")) {
        std::size_t end = 0;
        const Subtitle* s = catalogue_.Find(NumberAt(target, 10, &end));
        if (s && target.substr(end) == ".html")
            return Page(200, "OK", DownloadPageHtml(*s, host));
    } else if (StartsWith(target, "/dl/")) {
        // The download server answers a link with a redirect to the file itself.
        std::size_t end = 0;
        const Subtitle* s = catalogue_.Find(NumberAt(target, 4, &end));
        const int link =
            end < target.size() && target[end] == '/' ? NumberAt(target, end + 1, &end) : -1;
        if (s && link >= 1 && link <= s->linkCount && end == target.size()) {
            const std::string location = "https://" + host + "/files/" + std::to_string(s->id) +
                                         "/" + std::to_string(link) + "/" +
                                         MakeSubtitleFile(*s, link).name;
            return MakeResponse(302, "Found",
                                {{"Location", location},
                                 {"Content-Type", "text/html; charset=utf-8"},
                                 {"Connection", "close"}},
                                "<html><body>Moved</body></html>\r\n");
        }
    } else if (StartsWith(target, "/files/")) {
        std::size_t end = 0;
        const Subtitle* s = catalogue_.Find(NumberAt(target, 7, &end));
        const int link =
            end < target.size() && target[end] == '/' ? NumberAt(target, end + 1, &end) : -1;
        if (s && link >= 1 && link <= s->linkCount) {
            const SubtitleFile file = MakeSubtitleFile(*s, link);
            if (target.substr(end) == "/" + file.name) {
                return MakeResponse(
                    200, "OK",
                    {{"Content-Type", file.contentType},
                     {"Content-Disposition", "attachment; filename=\"" + file.name + "\""},
                     {"Connection", "close"}},
                    file.bytes);
            }
        }
    } else if (StartsWith(target, "/search?q=")) {
        return Page(200, "OK", SiteSearchHtml(catalogue_, QueryValue(target, "/search?q=")));
    } else if (StartsWith(target, "/source/search?q=")) {
        return Page(200, "OK", SourceSearchHtml(QueryValue(target, "/source/search?q=")));
    } else if (StartsWith(target, "/subject/")) {
        std::size_t end = 0;
        const int id = NumberAt(target, 9, &end);
        if (id > 0)
            return Page(200, "OK", DoubanHtml(catalogue_, id));
    } else if (target == "/" || target.empty()) {
        return Page(200, "OK", HomeHtml());
    }
    return Page(404, "Not Found", NotFoundHtml());
}

}  // namespace varneth::demo
