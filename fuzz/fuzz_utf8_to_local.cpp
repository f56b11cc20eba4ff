// UTF-8 to code page 936 on arbitrary bytes: never longer than its input, and stable through a
// round trip back to UTF-8, and the same as the way through UTF-16.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view utf8(reinterpret_cast<const char*>(data), size);
    const varneth::Text local = varneth::Utf8ToLocalText(utf8);
    if (local.size() > utf8.substr(0, utf8.find('\0')).size())
        __builtin_trap();
    if (!(varneth::Utf8ToLocalText(varneth::LocalToUtf8(local)) == local))
        __builtin_trap();

    // Repaired UTF-8 is well-formed: repairing it again changes nothing.
    const std::string repaired = varneth::Utf16ToUtf8(varneth::Utf8ToUtf16(utf8));
    if (varneth::Utf16ToUtf8(varneth::Utf8ToUtf16(repaired)) != repaired)
        __builtin_trap();
    (void)varneth::Utf16ToLocal(varneth::LocalToUtf16(varneth::Text(utf8)));
    return 0;
}
