#pragma once
// Text that the user typed or that names a film goes into an address as one query value. It is
// sent as UTF-8 with every byte outside the unreserved set (letters, digits, "-", ".", "_", "~")
// written as %XX, so that "&", "#", "+", spaces and Chinese names reach the site as typed instead
// of changing the meaning of the address.
#include <string>
#include <string_view>

#include "text/text.h"

namespace varneth {

// Percent-encodes UTF-8 bytes as one query value (upper-case hex digits).
std::string PercentEncodeUtf8(std::string_view utf8);

// A code-page-936 text as such a query value: converted to Unicode, then encoded as UTF-8.
Text EncodeQueryValue(const Text& local);

}  // namespace varneth
