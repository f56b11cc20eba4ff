#include "web/url.h"

#include <algorithm>

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

    int before = lower.length();  // the first search looks at all bytes but the last
    int dot = -1;
    // A negative count steps over no dots, as 0 does.
    const long long searches = static_cast<long long>(std::max(extraLevels, 0)) + 1;
    for (long long step = 0; step < searches; ++step) {
        dot = FindLast(lower, Text("."), before);
        if (dot == -1)
            break;  // once a search fails, every later one fails too
        before = dot;
    }
    if (dot == -1)
        return lower;
    if (mainDomainOnly)
        return MidToEnd(lower, dot + 1);
    const int previous = FindLast(lower, Text("."), dot);
    return previous == -1 ? lower : MidToEnd(lower, previous + 1);
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
