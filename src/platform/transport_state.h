#pragma once
// Inner state of the transport shared by its files: the cancellation counter and the CA blob
// made from the settings. Not for use outside src/platform.
#include <cstdint>
#include <memory>
#include <string>

namespace varneth::platform {

// Raised by every CancelAllTransfers.
std::uint64_t CancelGeneration();

// The PEM handed to libcurl as CAINFO_BLOB, or null when the settings add no CA.
std::shared_ptr<const std::string> CurrentCaBlob();

}  // namespace varneth::platform
