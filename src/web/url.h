#pragma once
// Splitting an address into host, port and path with plain text operations (no parsing,
// no percent-decoding, no validation).
#include <optional>

#include "text/text.h"

namespace varneth {

// The host in lower case. Whether `extraLevels` is given selects the second way of working.
Text UrlHost(const Text& url, bool mainDomainOnly = false, bool keepPort = false,
             std::optional<int> extraLevels = std::nullopt);
int UrlPort(const Text& url);
// The path with its query, in the address's own letter case; "/" when there is none.
Text UrlPath(const Text& url);

}  // namespace varneth
