#include "platform/http_transport.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/curl_easy.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace varneth::platform {

namespace {

// A Content-Length is only a hint for the first allocation; a server cannot make us reserve
// more than this at once (the body may still grow past it as it arrives).
constexpr std::size_t kMaxReserveBytes = 256u << 20;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The header text's lines. A lone CR or LF also ends a line: inside a line it could only
// smuggle a line of its own into the request. Empty lines would end the header block early,
// and lines without a colon are no header at all; both are left out.
std::vector<std::string_view> HeaderLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
        while (!text.empty() && (text.front() == '\r' || text.front() == '\n'))
            text.remove_prefix(1);
        if (line.find(':') != std::string_view::npos)
            lines.push_back(line);
    }
    return lines;
}

std::string_view HeaderName(std::string_view line) {
    return Trimmed(line.substr(0, line.find(':')));
}

bool HasHeader(const std::vector<std::string_view>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](std::string_view line) { return SameName(HeaderName(line), name); });
}

// The header list as libcurl takes it. libcurl drops a line whose value is blank (that is how
// it is told to leave out a header of its own); "Name;" makes it send "Name:" instead.
bool BuildHeaderList(const HttpRequest& request, CurlSlist& list) {
    const std::vector<std::string_view> lines = HeaderLines(request.headerText);
    for (std::string_view line : lines) {
        std::string entry(line);
        if (Trimmed(line.substr(line.find(':') + 1)).empty()) {
            entry = std::string(line.substr(0, line.find(':'))) + ";";
        }
        if (!AppendLine(list, entry))
            return false;
    }
    // The Windows client sends its agent after the caller's lines, and the caller's own
    // User-Agent line instead of it; names compare without regard to case, as HTTP's do.
    if (!request.userAgent.empty() && !HasHeader(lines, "User-Agent")) {
        if (!AppendLine(list, "User-Agent: " + request.userAgent))
            return false;
    }
    // libcurl would add these on its own; the request carries only what the engine built.
    for (const char* own : {"Accept", "Expect", "Content-Type"}) {
        if (!HasHeader(lines, own) && !AppendLine(list, std::string(own) + ":"))
            return false;
    }
    return true;
}

bool HasControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

// What a host name may hold. Anything else (a space, "@", "/") could not resolve; "@" would
// even turn the host into user name and password in libcurl's reading of the address.
bool IsHostName(std::string_view host) {
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '.' || c == '_';
    });
}

struct Receiver {
    std::string block;  // the header block being received
    HttpResult* result = nullptr;
    // A HEAD sent with a body goes out as libcurl's POST under the verb HEAD, so libcurl would
    // wait for a body that never comes: the transfer ends at the final header block instead.
    bool endAtFinalHeaders = false;
    bool followRedirects = true;
};

int StatusCode(std::string_view block) {
    // "HTTP/1.1 302 Found": the three digits after the first space.
    std::size_t space = block.find(' ');
    if (space == std::string_view::npos || block.size() < space + 4)
        return 0;
    int code = 0;
    for (char c : block.substr(space + 1, 3)) {
        if (c < '0' || c > '9')
            return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

bool HasLine(std::string_view block, std::string_view name);

// Whether libcurl goes on to another response after this header block.
bool AnotherResponseFollows(const Receiver& receiver) {
    const int status = StatusCode(receiver.block);
    if (status >= 100 && status < 200)
        return true;
    const bool redirect =
        status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    return redirect && receiver.followRedirects && HasLine(receiver.block, "Location");
}

// The value of the block's first line named `name`; false when there is none.
bool FindLine(std::string_view block, std::string_view name, std::string_view& value) {
    while (!block.empty()) {
        std::size_t end = block.find("\r\n");
        std::string_view line = block.substr(0, end);
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 2);
        std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && SameName(Trimmed(line.substr(0, colon)), name)) {
            value = Trimmed(line.substr(colon + 1));
            return true;
        }
    }
    return false;
}

bool HasLine(std::string_view block, std::string_view name) {
    std::string_view value;
    return FindLine(block, name, value);
}

std::size_t ContentLength(std::string_view block) {
    std::string_view text;
    if (FindLine(block, "Content-Length", text)) {
        std::size_t value = 0;
        for (char c : text) {
            if (c < '0' || c > '9' || value > kMaxReserveBytes)
                break;
            value = value * 10 + static_cast<std::size_t>(c - '0');
        }
        return value;
    }
    return 0;
}

// Makes room for at least `capacity` bytes. On Linux a large buffer asks for huge pages: the
// first touch of a fresh page costs far more than copying into it (ten times the whole
// transfer on a virtual machine), and one 2 MB page takes the place of 512 of those touches.
// The hint must come before the bytes are copied in, so the new buffer is made empty first.
void ReserveBody(std::string& body, std::size_t capacity) {
    if (capacity <= body.capacity())
        return;
    std::string grown;
    grown.reserve(capacity);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = 2u << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(grown.data());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + grown.capacity()) & ~(kHugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // only a hint
    }
#endif
    grown.append(body);
    body.swap(grown);
}

// libcurl hands over every header line of every response (redirects and "100 Continue"
// included), one line per call, with its line end as received.
std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto* receiver = static_cast<Receiver*>(user);
    const std::size_t length = size * count;
    try {
        std::string_view line(data, length);
        if (line.substr(0, 5) == "HTTP/")
            receiver->block.clear();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        receiver->block.append(line);
        receiver->block += "\r\n";
        if (line.empty()) {
            receiver->result->rawHeaders = receiver->block;
            if (receiver->endAtFinalHeaders && !AnotherResponseFollows(*receiver))
                return 0;
        }
    } catch (...) {
        return 0;  // out of memory: libcurl ends the transfer
    }
    return length;
}

// Only the final response's body arrives here: libcurl skips the bodies of the redirects it
// follows.
std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto* receiver = static_cast<Receiver*>(user);
    const std::size_t length = size * count;
    try {
        std::string& body = receiver->result->body;
        if (body.empty()) {
            std::size_t expected = std::min(ContentLength(receiver->block), kMaxReserveBytes);
            if (expected > length) {
                ReserveBody(body, expected);
            }
        }
        // Past a missing or short length the buffer doubles.
        if (body.size() + length > body.capacity()) {
            ReserveBody(body, std::max(2 * body.capacity(), body.size() + length));
        }
        body.append(data, length);
    } catch (...) {
        return 0;
    }
    return length;
}

// The verb and the body. libcurl's own POST and HEAD are used where they fit, because a custom
// verb would outlive a redirect that turns a POST into a GET, and because only libcurl's HEAD
// knows that no body follows the response's header block.
CURLcode SetVerbAndBody(CURL* easy, const HttpRequest& request, Receiver& receiver) {
    CURLcode result = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (result == CURLE_OK)
            result = curl_easy_setopt(easy, option, value);
    };
    const bool head = request.verb == "HEAD";
    if (head && !request.sendBody)
        set(CURLOPT_NOBODY, 1L);
    if (request.sendBody) {
        // libcurl's HEAD would not send the body, so a HEAD with one ends by itself.
        receiver.endAtFinalHeaders = head;
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        set(CURLOPT_POSTFIELDS, request.body.data());
        if (request.verb != "POST")
            set(CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    } else if (request.verb != "GET" && !head) {
        set(CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    }
    return result;
}

}  // namespace

HttpResult PerformHttpRequest(const HttpRequest& request) {
    HttpResult result;
    // The Windows client's open steps have no counterpart in libcurl; these are the conditions
    // under which one of them would fail: no handle at all (opening the Internet handle), no
    // host or a port that a 16-bit port number cannot hold (connecting), and a request target
    // that cannot be sent (opening the request).
    CurlEasy easy = NewCurlEasy();
    if (!easy || request.host.empty() || request.port < 0 || request.port > 65535)
        return result;
    std::string target =
        request.path.empty() || request.path.front() != '/' ? "/" + request.path : request.path;
    if (HasControlBytes(target))
        return result;
    if (!IsHostName(request.host)) {
        // The Windows client connects lazily: such a name only fails when the request is sent,
        // like a name that does not resolve.
        result.opened = true;
        return result;
    }
    // A space in an address is sent as browsers send it; every other byte goes out as built.
    for (std::size_t at = target.find(' '); at != std::string::npos; at = target.find(' ', at)) {
        target.replace(at, 1, "%20");
    }
    const int port = request.port != 0 ? request.port : (request.https ? 443 : 80);
    const std::string address = std::string(request.https ? "https://" : "http://") + request.host +
                                ":" + std::to_string(port) + target;
    CurlUrl url(curl_url());
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
        return result;
    }
    CurlSlist headers;
    if (!BuildHeaderList(request, headers))
        return result;

    TransferControl control;
    Receiver receiver;
    receiver.result = &result;
    CURL* handle = easy.get();
    CURLcode setup = ApplySharedOptions(handle, control);
    auto set = [&](CURLoption option, auto value) {
        if (setup == CURLE_OK)
            setup = curl_easy_setopt(handle, option, value);
    };
    set(CURLOPT_CURLU, url.get());
    set(CURLOPT_PATH_AS_IS, 1L);
    set(CURLOPT_HTTPHEADER, headers.get());
    set(CURLOPT_HEADERFUNCTION, &OnHeaderLine);
    set(CURLOPT_HEADERDATA, static_cast<void*>(&receiver));
    set(CURLOPT_WRITEFUNCTION, &OnBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&receiver));
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    receiver.followRedirects = !request.forbidRedirect;
    if (request.forbidRedirect)
        set(CURLOPT_FOLLOWLOCATION, 0L);
    if (!request.proxy.empty())
        set(CURLOPT_PROXY, request.proxy.c_str());
    if (setup == CURLE_OK)
        setup = SetVerbAndBody(handle, request, receiver);
    if (setup != CURLE_OK)
        return result;

    result.opened = true;
    // Like the Windows client's send, the outcome is not looked at: what arrived is the result
    // (a refused connection or a failed handshake leaves both parts empty).
    curl_easy_perform(handle);
    return result;
}

}  // namespace varneth::platform
