#pragma once

#include <chrono>
#include <cstdint>

namespace springtest {

// Milliseconds on the monotonic clock; it never wraps or jumps, unlike a 32-bit millisecond tick.
inline uint64_t steadyMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Microseconds on the monotonic clock, for timing single readings.
inline std::chrono::microseconds steadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch());
}

// Minutes between a start tick and now, formed in 64 bits and returned as a 32-bit float.
inline float ElapsedMinutes(uint64_t startMs, uint64_t nowMs = steadyMs()) {
    const int64_t diff = static_cast<int64_t>(nowMs - startMs);
    return static_cast<float>(static_cast<double>(diff) / 60000.0);
}

}  // namespace springtest
