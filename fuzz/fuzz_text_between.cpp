// TextBetween over arbitrary text and markers: the cut is always a piece of the text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "web/text_between.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool caseInsensitive = data[0] & 1;
    std::optional<int> startPosition;
    if (data[0] & 2)
        startPosition = static_cast<int8_t>(data[1]);
    // A zero byte never occurs in a Text, so it separates text, start marker and end marker.
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::string_view parts[3];
    for (auto& part : parts) {
        const std::size_t zero = rest.find('\0');
        part = rest.substr(0, zero);
        rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
    }
    const varneth::Text text(parts[0]);
    const varneth::Text cut = varneth::TextBetween(
        text, varneth::Text(parts[1]), varneth::Text(parts[2]), startPosition, caseInsensitive);
    if (cut.size() >= text.size() && !cut.empty())
        __builtin_trap();
    if (text.view().find(cut.view()) == std::string_view::npos)
        __builtin_trap();
    (void)varneth::ValueAfterColon(text);
    return 0;
}
