#include "web/url.h"

#include <algorithm>
#include <vector>

#include "text/text_ops.h"
#include "web/text_between.h"

namespace varneth {
namespace {

// Host of the lower-cased address: after the scheme (http when none is given) up to the next "/".
Text HostAfterScheme(Text lower) {
    if (lower.empty() || lower.view().back() != '/')
        lower += Text("/");
    if (Left(lower, 8) == Text("https://"))
        return TextBetween(lower, Text("https://"), Text("/"));
    if (!Contains(lower, Text("http://")))
        lower = Text("http://") + lower;
    return TextBetween(lower, Text("http://"), Text("/"));
}

Text LastTwoLabels(const Text& host) {
    const std::vector<Text> labels = Split(host, Text("."));
    if (labels.size() < 2)
        return host;
    return labels[labels.size() - 2] + "." + labels.back();
}

// Counts dots from the right, stepping over `extraLevels` of them before the cutting dot.
Text HostByLevels(Text lower, bool mainDomainOnly, int extraLevels) {
    lower = ReplaceAll(lower, Text("http://"), Text(""));
    lower = ReplaceAll(lower, Text("https://"), Text(""));
    if (const int slash = Find(lower, Text("/")); slash != -1)
        lower = Left(lower, slash - 1);

    // The dots in text order, found once, so that stepping from the right stays linear however
    // many labels a hostile address has. Each search from the right looks only before the dot
    // found by the previous one; the first looks at all bytes but the last.
    std::vector<int> dots;
    for (int at = Find(lower, Text(".")); at != -1; at = Find(lower, Text("."), at + 1)) {
        dots.push_back(at);
    }
    if (!dots.empty() && dots.back() == lower.length())
        dots.pop_back();

    // A negative count steps over no dots, as 0 does. Once a search fails, all later ones do.
    const std::size_t skipped = static_cast<std::size_t>(std::max(extraLevels, 0));
    if (skipped >= dots.size())
        return lower;
    const std::size_t cutting = dots.size() - 1 - skipped;
    if (mainDomainOnly)
        return MidToEnd(lower, dots[cutting] + 1);
    return cutting == 0 ? lower : MidToEnd(lower, dots[cutting - 1] + 1);
}

}  // namespace

Text UrlHost(const Text& url, bool mainDomainOnly, bool keepPort, std::optional<int> extraLevels) {
    const Text lower = AsciiLower(url);
    Text host;
    if (extraLevels) {
        host = HostByLevels(lower, mainDomainOnly, *extraLevels);
    } else {
        host = HostAfterScheme(lower);
        if (mainDomainOnly)
            host = LastTwoLabels(host);
    }
    if (!keepPort) {
        if (const int colon = Find(host, Text(":")); colon != -1)
            host = Left(host, colon - 1);
    }
    return host;
}

int UrlPort(const Text& url) {
    const Text host = UrlHost(url, false, true);
    if (const int colon = FindLast(host, Text(":")); colon != -1) {
        return LeadingNumber(MidToEnd(host, colon + 1));
    }
    return Left(AsciiLower(url), 5) == Text("https") ? 443 : 80;
}

Text UrlPath(const Text& url) {
    const Text host = UrlHost(url);
    const int hostAt = Find(url, host, 1, true);
    const int slash = Find(url, Text("/"), hostAt);
    if (slash == -1)
        return Text("/");
    return MidToEnd(url, slash);
}

}  // namespace varneth
