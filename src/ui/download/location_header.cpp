#include "ui/download/location_header.h"

#include <string_view>

#include "text/text_ops.h"

namespace varneth {

namespace {

std::string_view TrimSpacesAndTabs(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

}  // namespace

Text LocationHeaderValue(const Text& rawHeaders) {
    constexpr std::string_view kName = "location";
    std::string_view rest = rawHeaders.view();
    while (!rest.empty()) {
        const std::size_t lineEnd = rest.find('\n');
        std::string_view line = rest.substr(0, lineEnd);
        rest = lineEnd == std::string_view::npos ? std::string_view() : rest.substr(lineEnd + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        if (!EqualsIgnoringAsciiCase(line.substr(0, colon), kName))
            continue;
        return Text(TrimSpacesAndTabs(line.substr(colon + 1)));
    }
    return Text();
}

}  // namespace varneth
