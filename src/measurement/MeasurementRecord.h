#pragma once

#include "platform/SteadyClock.h"

#include <atomic>
#include <cstdint>

namespace springtest {

// The live values of one card. Written by the acquisition thread, read everywhere; each field is one
// word, so a reader sees either the old or the new value of a field (possibly fields of different cycles).
struct MeasurementRecord {
    std::atomic<float> load{0.0f};
    std::atomic<float> deformation{0.0f};
    std::atomic<float> displacement{0.0f};
    std::atomic<float> minutes{0.0f};
    std::atomic<uint64_t> startTickMs{steadyMs()};

    void restartMinuteClock() { startTickMs.store(steadyMs(), std::memory_order_relaxed); }
};

}  // namespace springtest
