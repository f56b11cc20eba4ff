#pragma once
// Code page 936 to UTF-16 and back for the matcher's subjects and groups. The results are
// exactly those of LocalToUtf16 and Utf16ToLocal (text/codepage.h); ASCII and the well-formed
// characters of the code page go through tables built once from those very functions, anything
// else through the functions themselves. A listing page is converted on every search and each
// row's groups on every read, and the general route costs several times the match itself.
#include <string>
#include <string_view>

#include "text/text.h"

namespace varneth {

std::u16string TableLocalToUtf16(const Text& text);
Text TableUtf16ToLocal(std::u16string_view utf16);

}  // namespace varneth
