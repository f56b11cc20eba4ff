#include "platform/file_transfer.h"

#include <cctype>

#include "platform/curl_easy.h"

namespace varneth::platform {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
        s.remove_suffix(1);
    }
    return s;
}

// One transfer's state, shared by libcurl's callbacks on the calling thread.
struct Session {
    Session(TransferSink& sink, const std::atomic<bool>& cancel) : sink(sink), cancel(cancel) {}

    TransferSink& sink;
    const std::atomic<bool>& cancel;
    TransferControl control;  // made before the transfer: the program's end cancels it
    CURL* easy = nullptr;

    // Of the response whose header lines are arriving now (a redirect's, or the final one).
    std::string statusLine;
    std::string contentDisposition;
    bool hasLocation = false;

    TransferHead head;
    bool headSeen = false;
    bool sinkStopped = false;
    bool cancelled = false;
    std::int64_t received = 0;

    // Interim answers (1xx) and redirects that libcurl follows are not the file's response.
    bool CurrentResponseIsFinal() const {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 100 && status <= 199)
            return false;
        return !(status >= 300 && status <= 399 && hasLocation);
    }

    // The head of the final response, handed over once at the end of its header block (or, should
    // that be missed, at its first body byte or the end of the transfer).
    bool DeliverHead() {
        if (headSeen)
            return !sinkStopped;
        headSeen = true;
        head.statusLine = statusLine;
        head.contentDisposition = contentDisposition;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &head.status);
        char* contentType = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK &&
            contentType != nullptr) {
            head.contentType = contentType;
        }
        curl_off_t length = -1;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) {
            head.contentLength = length;
        }
        char* finalUrl = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK &&
            finalUrl != nullptr) {
            head.finalUrl = finalUrl;
        }
        if (!sink.OnHead(head))
            sinkStopped = true;
        return !sinkStopped;
    }
};

std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& session = *static_cast<Session*>(userData);
    const std::size_t bytes = size * count;
    const std::string_view line = TrimBlanks(std::string_view(data, bytes));
    if (StartsWithIgnoringCase(line, "HTTP/")) {  // a new response begins
        session.statusLine = std::string(line);
        session.contentDisposition.clear();
        session.hasLocation = false;
    } else if (StartsWithIgnoringCase(line, "Content-Disposition:")) {
        session.contentDisposition =
            std::string(TrimBlanks(line.substr(std::string_view("Content-Disposition:").size())));
    } else if (StartsWithIgnoringCase(line, "Location:")) {
        session.hasLocation = true;
    } else if (line.empty()) {
        // The end of a head. The final response's head goes to the sink now, before its body,
        // so the sink can decide about the file while the body is still on its way.
        if (session.CurrentResponseIsFinal() && !session.DeliverHead())
            return 0;
    }
    return bytes;
}

std::size_t OnBodyPiece(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& session = *static_cast<Session*>(userData);
    const std::size_t bytes = size * count;
    // A redirect that is being followed is not the file; its body (if libcurl passes one on) is
    // dropped.
    if (!session.CurrentResponseIsFinal())
        return bytes;
    if (!session.DeliverHead())
        return 0;  // anything but `bytes` stops the transfer
    if (!session.sink.OnBody(std::string_view(data, bytes))) {
        session.sinkStopped = true;
        return 0;
    }
    session.received += static_cast<std::int64_t>(bytes);
    return bytes;
}

// libcurl calls this at least once a second, also while nothing arrives.
int OnProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& session = *static_cast<Session*>(userData);
    if (session.cancel.load() || session.control.cancelled()) {
        session.cancelled = true;
        return 1;  // ends the transfer with CURLE_ABORTED_BY_CALLBACK
    }
    if (session.headSeen && !session.sinkStopped &&
        !session.sink.OnProgress(session.received, session.head.contentLength)) {
        session.sinkStopped = true;
        return 1;
    }
    return 0;
}

TransferStatus StatusFor(CURLcode code) {
    switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return TransferStatus::BadAddress;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return TransferStatus::ConnectFailed;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return TransferStatus::TlsFailed;
        case CURLE_OPERATION_TIMEDOUT:
            return TransferStatus::TimedOut;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
            return TransferStatus::ConnectionLost;
        case CURLE_TOO_MANY_REDIRECTS:
            return TransferStatus::TooManyRedirects;
        case CURLE_ABORTED_BY_CALLBACK:
            return TransferStatus::Cancelled;
        default:
            return TransferStatus::Failed;
    }
}

}  // namespace

TransferResult RunFileTransfer(const std::string& url, TransferSink& sink,
                               const std::atomic<bool>& cancel) {
    TransferResult result;
    // Only absolute http and https addresses: libcurl would otherwise guess a scheme for a
    // relative one and try to reach a host named after its path.
    if (!StartsWithIgnoringCase(url, "http://") && !StartsWithIgnoringCase(url, "https://")) {
        result.status = TransferStatus::BadAddress;
        result.detail = "not an absolute http or https address";
        return result;
    }
    Session session(sink, cancel);
    CurlEasy easy = NewCurlEasy();
    if (!easy) {
        result.detail = "libcurl could not make a handle";
        return result;
    }
    session.easy = easy.get();

    char errorText[CURL_ERROR_SIZE] = {};
    CURLcode setUp = ApplySharedOptions(easy.get(), session.control);
    auto set = [&](CURLoption option, auto value) {
        if (setUp == CURLE_OK)
            setUp = curl_easy_setopt(easy.get(), option, value);
    };
    set(CURLOPT_ERRORBUFFER, errorText);
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_HTTPGET, 1L);
    // No Accept-Encoding: the bytes saved are exactly the bytes the server sends.
    set(CURLOPT_HEADERFUNCTION, &OnHeaderLine);
    set(CURLOPT_HEADERDATA, static_cast<void*>(&session));
    set(CURLOPT_WRITEFUNCTION, &OnBodyPiece);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&session));
    // Our own progress callback replaces the shared one; it keeps the program-wide cancel.
    set(CURLOPT_XFERINFOFUNCTION, &OnProgress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(&session));
    if (setUp != CURLE_OK) {
        result.status = StatusFor(setUp);
        result.detail = curl_easy_strerror(setUp);
        return result;
    }

    const CURLcode code = curl_easy_perform(easy.get());
    if (code == CURLE_OK) {
        result.status =
            session.DeliverHead() ? TransferStatus::Completed : TransferStatus::StoppedBySink;
    } else if (session.sinkStopped) {
        result.status = TransferStatus::StoppedBySink;
    } else if (session.cancelled) {
        result.status = TransferStatus::Cancelled;
    } else {
        result.status = StatusFor(code);
    }
    result.headSeen = session.headSeen;
    result.received = session.received;
    result.detail = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    return result;
}

}  // namespace varneth::platform
