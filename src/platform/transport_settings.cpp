#include "platform/transport_settings.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/curl_easy.h"
#include "platform/transport_state.h"

namespace varneth::platform {

namespace {

std::atomic<std::uint64_t> cancelGeneration{0};

struct Shared {
    std::mutex mutex;
    TransportSettings settings;
    std::shared_ptr<const std::string> caBlob;
};

Shared& State() {
    static Shared shared;
    return shared;
}

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// libcurl takes CAINFO_BLOB instead of its CA bundle file, not instead of its CA directory.
// Debian's libcurl has both; where it has only the bundle, the bundle goes into the blob too,
// so the system's store always stays trusted beside the extra CA.
std::shared_ptr<const std::string> MakeCaBlob(const std::string& extraPem) {
    if (extraPem.empty())
        return nullptr;
    std::string blob;
    CurlEasy probe = NewCurlEasy();
    char* caPath = nullptr;
    char* caFile = nullptr;
    if (probe) {
        curl_easy_getinfo(probe.get(), CURLINFO_CAPATH, &caPath);
        curl_easy_getinfo(probe.get(), CURLINFO_CAINFO, &caFile);
    }
    if ((caPath == nullptr || *caPath == '\0') && caFile != nullptr && *caFile != '\0') {
        blob = ReadFile(caFile);
        blob += '\n';
    }
    blob += extraPem;
    return std::make_shared<const std::string>(std::move(blob));
}

}  // namespace

void SetTransportSettings(const TransportSettings& settings) {
    auto blob = MakeCaBlob(settings.extraCaPem);
    Shared& shared = State();
    std::lock_guard lock(shared.mutex);
    shared.settings = settings;
    shared.caBlob = std::move(blob);
}

TransportSettings CurrentTransportSettings() {
    Shared& shared = State();
    std::lock_guard lock(shared.mutex);
    return shared.settings;
}

std::shared_ptr<const std::string> CurrentCaBlob() {
    Shared& shared = State();
    std::lock_guard lock(shared.mutex);
    return shared.caBlob;
}

void CancelAllTransfers() {
    cancelGeneration.fetch_add(1);
}

std::uint64_t CancelGeneration() {
    return cancelGeneration.load();
}

}  // namespace varneth::platform
