#pragma once
// RAII for libcurl handles and the options every transfer of the program shares: http and https
// only (also on redirects), TLS verified against the system's CA store plus the one extra CA of
// the transport settings, the connect and low-speed time-outs, no signals, no proxy or CA taken
// from the environment, and cancellation by CancelAllTransfers through the progress callback.
#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>

namespace varneth::platform {

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

struct CurlUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

// A new easy handle (libcurl's global set-up runs once, first); null when libcurl cannot make
// one.
CurlEasy NewCurlEasy();

// Appends one line; false when libcurl ran out of memory (the list keeps its earlier lines).
bool AppendLine(CurlSlist& list, const std::string& line);

// Lives as long as its transfer. Made before the transfer starts: a CancelAllTransfers after
// that moment ends the transfer, one before it does not.
class TransferControl {
  public:
    TransferControl();
    bool cancelled() const;

  private:
    std::uint64_t generation_;
};

// Applies the shared options to `easy` (see the top of this file); `control` must outlive the
// transfer. Redirects are followed (at most 20) unless the caller switches that off afterwards.
// Returns the first option libcurl refused, CURLE_OK when all were taken.
CURLcode ApplySharedOptions(CURL* easy, TransferControl& control);

}  // namespace varneth::platform
