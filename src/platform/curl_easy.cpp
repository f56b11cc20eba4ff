#include "platform/curl_easy.h"

#include <atomic>
#include <mutex>

#include "platform/transport_settings.h"
#include "platform/transport_state.h"

namespace varneth::platform {

namespace {

// libcurl asks about progress at least once a second, also while nothing arrives; answering
// non-zero ends the transfer with CURLE_ABORTED_BY_CALLBACK.
int OnProgress(void* control, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const TransferControl*>(control)->cancelled() ? 1 : 0;
}

// Large reads keep the number of callbacks small on big bodies.
constexpr long kReceiveBufferBytes = 256 * 1024;
constexpr long kMaxRedirects = 20;

}  // namespace

CurlEasy NewCurlEasy() {
    static std::once_flag once;
    static CURLcode globalResult = CURLE_FAILED_INIT;
    std::call_once(once, [] { globalResult = curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (globalResult != CURLE_OK)
        return nullptr;
    return CurlEasy(curl_easy_init());
}

bool AppendLine(CurlSlist& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr)
        return false;
    list.release();
    list.reset(grown);
    return true;
}

TransferControl::TransferControl() : generation_(CancelGeneration()) {}

bool TransferControl::cancelled() const {
    return CancelGeneration() != generation_;
}

CURLcode ApplySharedOptions(CURL* easy, TransferControl& control) {
    const TransportSettings settings = CurrentTransportSettings();
    const std::shared_ptr<const std::string> caBlob = CurrentCaBlob();
    CURLcode result = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (result == CURLE_OK)
            result = curl_easy_setopt(easy, option, value);
    };
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_DEFAULT_PROTOCOL, "http");
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_HTTP09_ALLOWED, 0L);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    // Verification is set here, explicitly, for every transfer; nothing in the program turns it
    // off. The system's store stays in use (libcurl's CA directory); the extra CA comes on top.
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    set(CURLOPT_PROXY_SSL_VERIFYPEER, 1L);
    set(CURLOPT_PROXY_SSL_VERIFYHOST, 2L);
    if (caBlob && !caBlob->empty()) {
        curl_blob blob{const_cast<char*>(caBlob->data()), caBlob->size(), CURL_BLOB_COPY};
        set(CURLOPT_CAINFO_BLOB, &blob);
        set(CURLOPT_PROXY_CAINFO_BLOB, &blob);
    }
    // A proxy is only ever what the caller asked for: none from http_proxy or no_proxy.
    set(CURLOPT_PROXY, "");
    set(CURLOPT_NOPROXY, "");
    set(CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
    set(CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedLimitBytesPerSecond);
    set(CURLOPT_LOW_SPEED_TIME, settings.lowSpeedTimeSeconds);
    set(CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &OnProgress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(&control));
    return result;
}

}  // namespace varneth::platform
