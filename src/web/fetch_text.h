#pragma once
// A page fetched through the request engine and read as code-page-936 Text.
#include "text/text.h"

namespace varneth {

// Same arguments as WebRequest; every one of them is passed on as given (a left-out
// `submittedCookies` arrives as an empty text, so the cookie merge always runs).
Text FetchText(const Text& url, int method = 0, const Text& postText = {},
               Text* submittedCookies = nullptr, Text* returnedCookies = nullptr,
               Text* extraHeaders = nullptr, Text* returnedHeaders = nullptr,
               bool forbidRedirect = false, Bytes* postBytes = nullptr, const Text& proxy = {});

}  // namespace varneth
