#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "support/server_connection.h"
#include "support/test_certificates.h"

namespace varneth::testing {

namespace {

constexpr int kIdleTimeoutMs = 30000;
constexpr std::size_t kMaxHeaderBytes = 1 << 20;
constexpr std::size_t kMaxBodyBytes = 256u << 20;
constexpr std::size_t kMaxConnections = 128;
// The demo runs for hours: keep only the newest requests.
constexpr std::size_t kMaxRecordedRequests = 4096;
constexpr unsigned char kTlsHandshake = 0x16;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The value of the first header line named `name`, or nullopt-like empty with found = false.
bool FindHeader(std::string_view headers, std::string_view name, std::string_view& value) {
    while (!headers.empty()) {
        std::size_t end = headers.find("\r\n");
        std::string_view line = headers.substr(0, end);
        headers.remove_prefix(end == std::string_view::npos ? headers.size() : end + 2);
        std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualsIgnoringCase(line.substr(0, colon), name)) {
            value = TrimSpaces(line.substr(colon + 1));
            return true;
        }
    }
    return false;
}

// Splits a raw response into its header block (with the empty line) and its body.
std::pair<std::string_view, std::string_view> SplitResponse(std::string_view raw) {
    std::size_t end = raw.find("\r\n\r\n");
    if (end == std::string_view::npos)
        return {raw, {}};
    return {raw.substr(0, end + 4), raw.substr(end + 4)};
}

struct RouteEntry {
    enum class Kind { Raw, Handler, Fault } kind = Kind::Raw;
    // Shared, so that answering a large route does not copy it for every request.
    std::shared_ptr<const std::string> raw = std::make_shared<const std::string>();
    LoopbackServer::Handler handler;
    Fault fault = Fault::Garbage;
};

// A pipe written once when the server stops; every wait of every thread watches its read end.
class StopSignal {
  public:
    StopSignal() {
        if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
            std::perror("loopback server: pipe");
            std::abort();
        }
    }
    ~StopSignal() {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    void Raise() {
        char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(fds_[1], &byte, 1);
    }
    int fd() const { return fds_[0]; }

  private:
    int fds_[2];
};

// A parsed request, or the reason there is none.
enum class ReadOutcome { Complete, NothingSent, Malformed, TooLarge };

}  // namespace

std::string MakeResponse(int status, std::string_view reason,
                         const std::vector<std::pair<std::string, std::string>>& headers,
                         std::string_view body) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    bool hasLength = false;
    for (const auto& [name, value] : headers) {
        if (EqualsIgnoringCase(name, "Content-Length"))
            hasLength = true;
        out += name + ": " + value + "\r\n";
    }
    if (!hasLength)
        out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "\r\n";
    out += body;
    return out;
}

struct LoopbackServer::Impl {
    StopSignal stop;
    int listenFd = -1;
    int port = 0;
    TestPki trusted = MakeTestPki("Varneth loopback test CA");
    TestPki untrusted = MakeTestPki("Varneth untrusted test CA");
    std::atomic<bool> serveUntrusted{false};

    mutable std::mutex mutex;  // routes, fallback, requests
    std::map<std::string, RouteEntry, std::less<>> routes;
    Handler fallback;
    std::vector<RecordedRequest> requests;

    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> workers;  // touched by the accept thread, then by the destructor
    std::thread acceptThread;

    void Refuse(ServerConnection& connection, ReadOutcome outcome);
    void Listen();
    void AcceptLoop();
    void ReapFinishedWorkers();
    void Serve(int fd);
    // `pending` holds bytes read past the previous request on this connection.
    ReadOutcome ReadRequest(ServerConnection& connection, std::string& pending,
                            RecordedRequest& request);
    // True when the connection may carry another request.
    bool Answer(ServerConnection& connection, const RecordedRequest& request);
};

void LoopbackServer::Impl::Listen() {
    listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;  // the system picks a free port
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd < 0 || ::bind(listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd, 128) != 0 ||
        ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("loopback server: listen");
        std::abort();
    }
    port = ntohs(address.sin_port);
}

void LoopbackServer::Impl::ReapFinishedWorkers() {
    for (auto it = workers.begin(); it != workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = workers.erase(it);
        } else {
            ++it;
        }
    }
}

void LoopbackServer::Impl::AcceptLoop() {
    // A client that goes away while we write would otherwise raise SIGPIPE (OpenSSL writes
    // with write(2)). Blocked here, it is blocked in every connection thread started from here.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        int n = ::poll(fds, 2, 1000);
        if (n < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        ReapFinishedWorkers();
        if (n <= 0 || (fds[0].revents & POLLIN) == 0)
            continue;
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            continue;  // the client gave up already, or descriptors ran out for now
        if (workers.size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers.push_back({std::thread([this, fd, done] {
                               Serve(fd);
                               done->store(true);
                           }),
                           done});
    }
}

ReadOutcome LoopbackServer::Impl::ReadRequest(ServerConnection& connection, std::string& pending,
                                              RecordedRequest& request) {
    std::string& raw = request.raw;
    raw.swap(pending);
    pending.clear();
    char buffer[65536];
    std::size_t headerEnd = raw.find("\r\n\r\n");
    while (headerEnd == std::string::npos) {
        long n = connection.ReadSome(buffer, sizeof buffer);
        if (n <= 0)
            return raw.empty() ? ReadOutcome::NothingSent : ReadOutcome::Malformed;
        raw.append(buffer, static_cast<std::size_t>(n));
        headerEnd = raw.find("\r\n\r\n");
        if (headerEnd == std::string::npos && raw.size() > kMaxHeaderBytes) {
            return ReadOutcome::TooLarge;
        }
    }
    std::string_view head(raw.data(), headerEnd + 2);
    std::size_t lineEnd = head.find("\r\n");
    std::string_view requestLine = head.substr(0, lineEnd);
    std::size_t firstSpace = requestLine.find(' ');
    std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace ||
        requestLine.substr(lastSpace + 1).substr(0, 5) != "HTTP/") {
        return ReadOutcome::Malformed;
    }
    request.method = std::string(requestLine.substr(0, firstSpace));
    request.target = std::string(requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1));
    request.headers = std::string(head.substr(lineEnd + 2));

    std::size_t bodyLength = 0;
    std::string_view lengthText;
    if (FindHeader(request.headers, "Content-Length", lengthText)) {
        if (lengthText.empty() || lengthText.size() > 12 ||
            lengthText.find_first_not_of("0123456789") != std::string_view::npos) {
            return ReadOutcome::Malformed;
        }
        bodyLength = std::stoull(std::string(lengthText));
        if (bodyLength > kMaxBodyBytes)
            return ReadOutcome::TooLarge;
    }
    std::size_t bodyStart = headerEnd + 4;
    while (raw.size() < bodyStart + bodyLength) {
        long n = connection.ReadSome(buffer, sizeof buffer);
        if (n <= 0)
            return ReadOutcome::Malformed;
        raw.append(buffer, static_cast<std::size_t>(n));
    }
    // Anything past the declared body belongs to the next request.
    pending = raw.substr(bodyStart + bodyLength);
    raw.resize(bodyStart + bodyLength);
    request.body = raw.substr(bodyStart);
    return ReadOutcome::Complete;
}

// Whether the client can tell where `response` ends without the connection closing, so that the
// connection can stay open for its next request (libcurl sends a redirect's follow-up on it).
bool KeepsConnection(const RecordedRequest& request, std::string_view response) {
    auto [head, body] = SplitResponse(response);
    if (head.size() == response.size() && response.find("\r\n\r\n") == std::string_view::npos) {
        return false;
    }
    std::string_view value;
    if (FindHeader(request.headers, "Connection", value) && EqualsIgnoringCase(value, "close")) {
        return false;
    }
    std::string_view rest = head.substr(head.find("\r\n") + 2);
    if (FindHeader(rest, "Connection", value) && EqualsIgnoringCase(value, "close"))
        return false;
    if (FindHeader(rest, "Transfer-Encoding", value))
        return false;  // not worth parsing here
    if (request.method == "HEAD")
        return true;
    if (!FindHeader(rest, "Content-Length", value))
        return false;
    return value == std::to_string(body.size());
}

bool LoopbackServer::Impl::Answer(ServerConnection& connection, const RecordedRequest& request) {
    RouteEntry route;
    {
        std::lock_guard lock(mutex);
        if (requests.size() >= kMaxRecordedRequests)
            requests.erase(requests.begin());
        requests.push_back(request);
        if (auto it = routes.find(request.target); it != routes.end()) {
            route = it->second;
        } else {
            route.kind = RouteEntry::Kind::Handler;
            route.handler = fallback;
        }
    }
    std::string response;
    switch (route.kind) {
        case RouteEntry::Kind::Raw:
            break;
        case RouteEntry::Kind::Handler:
            if (!route.handler) {
                response = MakeResponse(404, "Not Found", {{"Content-Type", "text/html"}},
                                        "<html><body>not found</body></html>");
                break;
            }
            try {
                response = route.handler(request);
            } catch (...) {
                response = MakeResponse(500, "Internal Server Error", {}, "handler failed");
            }
            break;
        case RouteEntry::Kind::Fault: {
            std::string raw = route.raw->empty()
                                  ? MakeResponse(200, "OK", {}, std::string(4096, 'x'))
                                  : *route.raw;
            auto [head, body] = SplitResponse(raw);
            switch (route.fault) {
                case Fault::CloseMidBody:
                    connection.WriteAll(head);
                    connection.WriteAll(body.substr(0, body.size() / 2));
                    return false;  // no orderly end: the caller just closes
                case Fault::Stall:
                    connection.WriteAll(head);
                    connection.WaitForPeerCloseOrStop();
                    return false;
                case Fault::Garbage:
                    response = route.raw->empty()
                                   ? std::string("\x01\x02not http at all\xff\xfe\r\n\r\n")
                                   : *route.raw;
                    if (connection.WriteAll(response))
                        connection.Finish();
                    return false;
            }
            break;
        }
    }
    const std::string& sent = route.kind == RouteEntry::Kind::Raw ? *route.raw : response;
    if (!connection.WriteAll(sent))
        return false;
    if (KeepsConnection(request, sent))
        return true;
    connection.Finish();
    return false;
}

void LoopbackServer::Impl::Serve(int fd) {
    ServerConnection connection(fd, stop.fd(), kIdleTimeoutMs);
    unsigned char first = 0;
    if (!connection.PeekFirstByte(first))
        return;
    if (first == kTlsHandshake) {
        SSL_CTX* context =
            serveUntrusted.load() ? untrusted.serverContext.get() : trusted.serverContext.get();
        if (!connection.AcceptTls(context))
            return;
    }
    std::string pending;
    for (;;) {
        RecordedRequest request;
        request.tls = connection.tls();
        ReadOutcome outcome = ReadRequest(connection, pending, request);
        if (outcome == ReadOutcome::Complete && Answer(connection, request))
            continue;
        if (outcome == ReadOutcome::Complete || outcome == ReadOutcome::NothingSent)
            return;
        Refuse(connection, outcome);
        return;
    }
}

void LoopbackServer::Impl::Refuse(ServerConnection& connection, ReadOutcome outcome) {
    switch (outcome) {
        case ReadOutcome::Complete:
        case ReadOutcome::NothingSent:
            return;
        case ReadOutcome::Malformed:
            if (connection.WriteAll(MakeResponse(400, "Bad Request", {}, "")))
                connection.Finish();
            return;
        case ReadOutcome::TooLarge:
            if (connection.WriteAll(MakeResponse(413, "Content Too Large", {}, ""))) {
                connection.Finish();
            }
            return;
    }
}

LoopbackServer::LoopbackServer() : impl_(std::make_unique<Impl>()) {
    impl_->Listen();
    impl_->acceptThread = std::thread([impl = impl_.get()] { impl->AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    impl_->stop.Raise();
    impl_->acceptThread.join();
    for (auto& worker : impl_->workers)
        worker.thread.join();
    ::close(impl_->listenFd);
}

int LoopbackServer::port() const {
    return impl_->port;
}

std::string LoopbackServer::hostPort() const {
    return "127.0.0.1:" + std::to_string(port());
}

std::string LoopbackServer::HttpUrl(std::string_view target) const {
    return "http://" + hostPort() + std::string(target);
}

std::string LoopbackServer::HttpsUrl(std::string_view target) const {
    return "https://" + hostPort() + std::string(target);
}

std::string LoopbackServer::caPem() const {
    return impl_->trusted.caPem;
}

void LoopbackServer::ServeUntrusted(bool untrusted) {
    impl_->serveUntrusted.store(untrusted);
}

void LoopbackServer::Route(const std::string& target, std::string rawResponse) {
    std::lock_guard lock(impl_->mutex);
    auto& route = impl_->routes[target];
    route = {};
    route.raw = std::make_shared<const std::string>(std::move(rawResponse));
}

void LoopbackServer::Route(const std::string& target, Handler handler) {
    std::lock_guard lock(impl_->mutex);
    auto& route = impl_->routes[target];
    route = {};
    route.kind = RouteEntry::Kind::Handler;
    route.handler = std::move(handler);
}

void LoopbackServer::RouteFault(const std::string& target, Fault fault, std::string rawResponse) {
    std::lock_guard lock(impl_->mutex);
    auto& route = impl_->routes[target];
    route = {};
    route.kind = RouteEntry::Kind::Fault;
    route.fault = fault;
    route.raw = std::make_shared<const std::string>(std::move(rawResponse));
}

void LoopbackServer::SetFallback(Handler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->fallback = std::move(handler);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void LoopbackServer::ClearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

}  // namespace varneth::testing
