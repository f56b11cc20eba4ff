#include "web/web_request.h"

#include <string>

#include "platform/http_transport.h"
#include "platform/proxy_list.h"
#include "text/text_ops.h"
#include "web/cookies.h"
#include "web/text_between.h"
#include "web/url.h"

namespace varneth {

namespace {

// The request flags of the Windows Internet API, by their names there.
constexpr std::uint32_t kFlagReload = 0x80000000;
constexpr std::uint32_t kFlagNeedFile = 0x00000010;
constexpr std::uint32_t kFlagNoCookies = 0x00080000;
constexpr std::uint32_t kFlagNoAutoRedirect = 0x00200000;
constexpr std::uint32_t kFlagSecure = 0x00800000;
constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x00004000;

constexpr const char* kVerbs[] = {"GET",    "POST",    "HEAD",  "PUT",
                                  "DELETE", "OPTIONS", "TRACE", "CONNECT"};

constexpr const char* kDefaultUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.102 Safari/537.36";

// What the header query leaves when no response arrived: its 5000-byte buffer, untouched.
constexpr std::size_t kUnansweredHeaderBytes = 5000;

bool IsHttps(const Text& url) {
    return AsciiLower(Left(url, 8)) == Text("https://");
}

Text UserAgentFor(const Text& extraHeaders) {
    if (!Contains(extraHeaders, Text("User-Agent:"), true))
        return Text(kDefaultUserAgent);
    Text agent = Trim(TextBetween(extraHeaders + "\r\n", Text("User-Agent:"), Text("\r\n")));
    // The exact-case cut misses a name written in other letters; the value after the first
    // colon stands in for it.
    if (agent.empty())
        agent = ValueAfterColon(extraHeaders);
    return agent;
}

void AppendLineUnless(Text& headers, const char* marker, const Text& line) {
    if (!Contains(headers, Text(marker)))
        headers += Text("\r\n") + line;
}

// The caller's lines followed by the default lines it lacks, then the cookie line.
Text CompletedHeaders(Text headers, const Text& url, const Text& cookies) {
    if (headers.empty()) {
        headers = Text("Accept: */*");
    } else {
        AppendLineUnless(headers, "Accept:", Text("Accept: */*"));
    }
    AppendLineUnless(headers, "Referer:", Text("Referer: ") + url);
    AppendLineUnless(headers, "Accept-Language:", Text("Accept-Language: zh-cn"));
    AppendLineUnless(headers,
                     "Content-Type:", Text("Content-Type: application/x-www-form-urlencoded"));
    if (!cookies.empty()) {
        headers += Contains(cookies, Text("Cookie:")) ? Text("\r\n") + cookies
                                                      : Text("\r\nCookie: ") + cookies;
    }
    return headers;
}

}  // namespace

std::uint32_t RequestFlags(bool submittedCookiesGiven, bool forbidRedirect, bool https) {
    std::uint32_t flags = kFlagReload | kFlagNeedFile;
    if (submittedCookiesGiven)
        flags |= kFlagNoCookies;
    if (forbidRedirect)
        flags |= kFlagNoAutoRedirect;
    flags |= https ? kFlagSecure : kFlagIgnoreRedirectToHttps;
    return flags;
}

Bytes WebRequest(const Text& url, int method, const Text& postText, Text* submittedCookies,
                 Text* returnedCookies, Text* extraHeaders, Text* returnedHeaders,
                 bool forbidRedirect, Bytes* postBytes, const Text& proxy) {
    // No caller passes another method; one outside the table fails like a request that does
    // not open, leaving every argument as it was.
    if (method < 0 || method > 7)
        return {};
    const bool carriesBody = method == 1 || method == 2;
    const bool https = IsHttps(url);
    const Text givenHeaders = extraHeaders != nullptr ? *extraHeaders : Text();

    // The flag word says how the request is made. libcurl has no cache and its cookie engine is
    // never switched on, so reload and no-cookies always hold; automatic redirects and TLS are
    // what the transport is told below. No address is ever upgraded to https on its own.
    const std::uint32_t flags = RequestFlags(submittedCookies != nullptr, forbidRedirect, https);

    platform::HttpRequest request;
    request.verb = kVerbs[method];
    request.https = (flags & kFlagSecure) != 0;
    request.forbidRedirect = (flags & kFlagNoAutoRedirect) != 0;
    request.host = UrlHost(url).str();
    request.port = UrlPort(url);
    request.path = UrlPath(url).str();
    request.userAgent = UserAgentFor(givenHeaders).str();
    // For an http address the proxy list is "http=" and the proxy: it serves http only.
    if (!proxy.empty()) {
        const Text list = https ? proxy : Text("http=") + proxy;
        request.proxy = platform::LibcurlProxyFor(list.view(), https);
    }
    const Text headers = CompletedHeaders(givenHeaders, url,
                                          submittedCookies != nullptr ? *submittedCookies : Text());
    request.headerText = headers.str();
    Bytes body;
    if (carriesBody) {
        body = postBytes != nullptr ? *postBytes : Bytes();
        if (body.empty())
            body = Bytes(postText.str());  // the stored bytes, no terminating zero
        request.sendBody = true;
        request.body = body.str();
    }

    platform::HttpResult result = platform::PerformHttpRequest(request);
    if (!result.opened)
        return {};

    if (extraHeaders != nullptr)
        *extraHeaders = headers;
    if (carriesBody && postBytes != nullptr)
        *postBytes = std::move(body);
    // The whole block, however long. Only when nothing arrived does the query's untouched
    // buffer of spaces remain.
    Text rawHeaders = result.rawHeaders.empty() ? Text(std::string(kUnansweredHeaderBytes, ' '))
                                                : Text(std::move(result.rawHeaders));
    rawHeaders = ReplaceAll(rawHeaders, Text("Set-Cookie"), Text("Set-Cookie"), true);
    Text cookies = CollectCookies(rawHeaders);
    if (submittedCookies != nullptr)
        cookies = MergeCookies(*submittedCookies, cookies);
    if (returnedHeaders != nullptr)
        *returnedHeaders = std::move(rawHeaders);
    if (returnedCookies != nullptr)
        *returnedCookies = std::move(cookies);
    return Bytes(std::move(result.body));
}

}  // namespace varneth
