#include "web/fetch_text.h"

#include "text/codepage.h"
#include "web/web_request.h"

namespace varneth {

Text FetchText(const Text& url, int method, const Text& postText, Text* submittedCookies,
               Text* returnedCookies, Text* extraHeaders, Text* returnedHeaders,
               bool forbidRedirect, Bytes* postBytes, const Text& proxy) {
    // Every argument is handed on as present: one the caller left out stands in as empty.
    Text cookies;
    Text setCookies;
    Text headers;
    Text responseHeaders;
    Bytes body;
    Bytes page = WebRequest(url, method, postText, submittedCookies ? submittedCookies : &cookies,
                            returnedCookies ? returnedCookies : &setCookies,
                            extraHeaders ? extraHeaders : &headers,
                            returnedHeaders ? returnedHeaders : &responseHeaders, forbidRedirect,
                            postBytes ? postBytes : &body, proxy);
    return Utf8ToLocalText(page);
}

}  // namespace varneth
