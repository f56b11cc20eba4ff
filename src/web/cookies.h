#pragma once
// Cookies kept as plain text: "a=1; b=2".
#include "text/text.h"

namespace varneth {

// The name=value pairs of every Set-Cookie line of a raw response header block.
Text CollectCookies(const Text& headerBlock);
// Server pairs first, then the old pairs the server did not set; deleted pairs dropped.
// `oldCookies` receives the merged text; `newCookies` is left without its spaces.
Text MergeCookies(Text& oldCookies, Text& newCookies);
Text CookieName(const Text& pair);

}  // namespace varneth
