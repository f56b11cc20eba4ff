#include "platform/proxy_list.h"

#include <optional>

namespace varneth::platform {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == ';' || c == '\t';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A server as libcurl wants it: the list's servers are http proxies unless the entry is for
// socks or the server names its own scheme.
std::string WithScheme(std::string_view server, bool socks) {
    if (server.find("://") != std::string_view::npos)
        return std::string(server);
    return (socks ? "socks4://" : "http://") + std::string(server);
}

}  // namespace

std::string LibcurlProxyFor(std::string_view proxyList, bool https) {
    const std::string wanted = https ? "https" : "http";
    std::optional<std::string> own;
    std::optional<std::string> general;
    std::optional<std::string> socks;
    std::size_t i = 0;
    while (i < proxyList.size()) {
        while (i < proxyList.size() && IsSeparator(proxyList[i]))
            ++i;
        std::size_t end = i;
        while (end < proxyList.size() && !IsSeparator(proxyList[end]))
            ++end;
        std::string_view entry = proxyList.substr(i, end - i);
        i = end;
        if (entry.empty())
            continue;
        std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (!general)
                general = WithScheme(entry, false);
            continue;
        }
        std::string scheme = Lower(entry.substr(0, equals));
        std::string_view server = entry.substr(equals + 1);
        if (server.empty())
            continue;
        if (scheme == wanted && !own)
            own = WithScheme(server, false);
        if (scheme == "socks" && !socks)
            socks = WithScheme(server, true);
    }
    if (own)
        return *own;
    if (general)
        return *general;
    if (socks)
        return *socks;
    return {};
}

}  // namespace varneth::platform
