#pragma once
// Shared by the start-up benchmark's child programs: monotonic timestamps (comparable across
// processes) and the peak memory, reported on stdout as "name value" lines.
#include <time.h>

#include <cstdio>
#include <cstring>

namespace varneth::bench {

inline long long MonotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// VmHWM of this process in kB (0 when unknown).
inline long PeakMemoryKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::atol(line + 6);
    }
    std::fclose(status);
    return kb;
}

inline void Report(const char* name, long long value) {
    std::printf("%s %lld\n", name, value);
    std::fflush(stdout);
}

}  // namespace varneth::bench
