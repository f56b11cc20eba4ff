#pragma once
// The request engine: one complete HTTP or HTTPS exchange, the only place the program talks to
// the network. Optional arguments are pointers (null = left out) or defaults; only for
// `submittedCookies` does the mere presence of the argument change what happens.
#include <cstdint>

#include "text/text.h"

namespace varneth {

Bytes WebRequest(const Text& url, int method = 0, const Text& postText = {},
                 Text* submittedCookies = nullptr, Text* returnedCookies = nullptr,
                 Text* extraHeaders = nullptr, Text* returnedHeaders = nullptr,
                 bool forbidRedirect = false, Bytes* postBytes = nullptr, const Text& proxy = {});

// The request flag word handed to the HTTP client (reload, need-file, no-cookies, ...).
std::uint32_t RequestFlags(bool submittedCookiesGiven, bool forbidRedirect, bool https);

}  // namespace varneth
