#pragma once
// Conversion between code-page-936 Text and Unicode (UTF-8 and UTF-16) over iconv.
// A character that code page 936 lacks becomes "?"; invalid UTF-8 becomes U+FFFD first.
#include <string>
#include <string_view>

#include "text/text.h"

namespace varneth {

// A page body in UTF-8 as code-page-936 Text, cut at the first zero byte.
Text Utf8ToLocalText(const Bytes& utf8);
Text Utf8ToLocalText(std::string_view utf8);

std::string LocalToUtf8(const Text& text);
std::u16string LocalToUtf16(const Text& text);
Text Utf16ToLocal(std::u16string_view utf16);

// Invalid sequences replaced by U+FFFD, the rest unchanged.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Code-page-936 Text for a UTF-8 literal in the source, e.g. Local("#引号").
inline Text Local(std::string_view utf8Literal) {
    return Utf8ToLocalText(utf8Literal);
}

}  // namespace varneth
