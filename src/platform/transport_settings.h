#pragma once
// Process-wide settings of the HTTP transport. The program keeps the defaults; tests and the
// demo may add one extra trusted CA (in memory) and shorten the time-outs.
#include <string>

namespace varneth::platform {

struct TransportSettings {
    std::string extraCaPem;  // one more CA to trust beside the system's store; empty for none
    long connectTimeoutMs = 30000;
    long lowSpeedLimitBytesPerSecond = 1;  // abort when slower than this ...
    long lowSpeedTimeSeconds = 60;         // ... for this long
};

void SetTransportSettings(const TransportSettings& settings);
TransportSettings CurrentTransportSettings();

// Cancels every transfer running now (used at program exit); later transfers are unaffected.
void CancelAllTransfers();

}  // namespace varneth::platform
