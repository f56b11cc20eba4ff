// The address functions on arbitrary text with every combination of options.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "web/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool mainDomainOnly = data[0] & 1;
    const bool keepPort = data[0] & 2;
    std::optional<int> extraLevels;
    if (data[0] & 4)
        extraLevels = (data[0] & 8) ? static_cast<int8_t>(data[1]) : data[1] * 100000;
    const varneth::Text url(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));

    const varneth::Text host = varneth::UrlHost(url, mainDomainOnly, keepPort, extraLevels);
    if (host.size() > url.size() + 1)
        __builtin_trap();
    if (varneth::UrlPort(url) < 0)
        __builtin_trap();
    const varneth::Text path = varneth::UrlPath(url);
    if (path.empty() || path.view().front() != '/')
        __builtin_trap();
    return 0;
}
