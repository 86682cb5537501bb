#pragma once

#include <array>
#include <chrono>
#include <cstdint>

namespace springtest {

// When a load reading's newest conversion was made (on the steady clock), and how long the converter takes
// for a reading; a pace of zero: not known yet.
struct ReadingTime {
    std::chrono::microseconds convertedAt{0};
    std::chrono::microseconds pace{0};
};

// How old the conversions of a load reading are when the reading is complete.
//
// The converter runs at its own pace and keeps what the reader has not taken yet in its FIFO. A reader that
// keeps up waits for every reading and gets fresh conversions. A reader that was held up (a busy machine)
// afterwards gets the buffered readings back to back, each older than the moment it is taken, while the
// encoder beside it is read live. Only the pace of the readings tells: on average they come at the
// converter's pace; one that was held up comes late, and the buffered ones after it come early, each
// bringing the reader one reading closer to the converter. No reading is older than the FIFO is deep.
//
// Used by the thread that takes the readings only.
class ReadingAge {
public:
    using Micros = std::chrono::microseconds;

    // The converter's pace is the mean interval of up to kWindow readings (some seconds, so that a hold
    // weighs little in it), and is trusted from kLearnt on: a test may begin a few dozen milliseconds after
    // the program.
    static constexpr int kWindow = 4096;
    static constexpr int kLearnt = 32;

    // fifoReadings: how many readings the converter's FIFO holds.
    explicit ReadingAge(double fifoReadings) : m_fifoReadings(fifoReadings) {}

    // A reading was completed at `now` (a steady clock); returns how long before `now` its newest
    // conversion was made.
    Micros onReading(Micros now);
    Micros age() const { return m_age; }
    // Zero until kLearnt intervals were seen.
    Micros pace() const;

private:
    double m_fifoReadings;
    std::array<Micros, kWindow + 1> m_completed{};  // a ring of completion times
    int m_count = 0;
    int m_newest = 0;
    Micros m_age{0};
};

}  // namespace springtest
