// Cookie collection over an arbitrary header block, and the merge of two arbitrary cookie texts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "web/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)varneth::CollectCookies(varneth::Text(input));

    const std::size_t zero = input.find('\0');
    varneth::Text oldCookies(input.substr(0, zero));
    varneth::Text newCookies(zero == std::string_view::npos ? std::string_view()
                                                            : input.substr(zero + 1));
    const varneth::Text merged = varneth::MergeCookies(oldCookies, newCookies);
    if (!(oldCookies == merged))
        __builtin_trap();
    if (newCookies.view().find(' ') != std::string_view::npos)
        __builtin_trap();
    // Pairs are joined by "; " and hold no spaces themselves.
    if (merged.view().find("  ") != std::string_view::npos)
        __builtin_trap();
    (void)varneth::CookieName(merged);
    return 0;
}
