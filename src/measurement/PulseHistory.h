#pragma once

#include <array>
#include <chrono>
#include <cstdint>

namespace springtest {

// The encoder's last readings with the times they were taken, so that a load reading converted a while ago
// can be paired with where the crosshead was then. Used by the thread that reads the encoder only.
class PulseHistory {
public:
    using Micros = std::chrono::microseconds;

    // Enough for the readings a held-up loop catches up with: one per buffered load reading.
    static constexpr int kSize = 64;
    // Readings closer together than this replace the newest instead of adding one.
    static constexpr Micros kMinSpacing{250};

    void add(Micros at, int32_t pulses);
    // The count at `at`, on a straight line between the readings around it; before the oldest reading kept
    // the oldest, after the newest the newest; 0 when nothing was read yet.
    double at(Micros at) const;

private:
    struct Reading {
        Micros at;
        int32_t pulses;
    };
    std::array<Reading, kSize> m_readings{};
    int m_count = 0;
    int m_newest = -1;
};

}  // namespace springtest
