#pragma once
// A file download streamed through libcurl: GET, redirects followed, the body handed to a sink
// piece by piece as it arrives, never held whole in memory. No Qt: the caller decides where the
// bytes go.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varneth::platform {

// The final response's head, known before its first body byte.
struct TransferHead {
    long status = 0;
    std::string statusLine;           // "HTTP/1.1 404 Not Found", without the line end
    std::string contentType;          // as sent; empty when absent
    std::string contentDisposition;   // as sent; empty when absent
    std::int64_t contentLength = -1;  // -1 when the server does not say
    std::string finalUrl;             // the address the body came from, after redirects
};

class TransferSink {
  public:
    virtual ~TransferSink() = default;
    // Once, before any body byte (also for an empty body). False stops the transfer.
    virtual bool OnHead(const TransferHead& head) = 0;
    // Each piece of the final response's body, in order. False stops the transfer.
    virtual bool OnBody(std::string_view piece) = 0;
    // At least once a second while the transfer runs, also when nothing arrives; `total` is -1
    // when unknown. False stops the transfer.
    virtual bool OnProgress(std::int64_t received, std::int64_t total) = 0;
};

enum class TransferStatus {
    Completed,         // the whole body was received and accepted by the sink
    Cancelled,         // the caller's cancel flag, or the program ending
    StoppedBySink,     // OnHead, OnBody or OnProgress returned false
    BadAddress,        // malformed, or a scheme other than http and https
    ConnectFailed,     // name lookup or connection failed
    TlsFailed,         // handshake failed or the certificate did not verify
    TimedOut,          // no connection in time, or the server stalled
    ConnectionLost,    // the connection broke before the body was complete
    TooManyRedirects,  // more than 20 redirects
    Failed,            // anything else the transport reported
};

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    bool headSeen = false;
    std::int64_t received = 0;  // body bytes handed to the sink
    std::string detail;         // the transport's own words, for the curious
};

// Runs the whole transfer on the calling thread. `cancel` is polled while it runs (and the
// program-wide cancellation stops it too).
TransferResult RunFileTransfer(const std::string& url, TransferSink& sink,
                               const std::atomic<bool>& cancel);

}  // namespace varneth::platform
