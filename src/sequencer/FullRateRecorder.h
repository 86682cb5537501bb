#pragma once

#include "measurement/CardSlot.h"
#include "measurement/SampleSlot.h"
#include "storage/FullRateCurve.h"

#include <atomic>
#include <chrono>
#include <cstddef>

namespace springtest {

// Keeps every reading of the test card while a test records its curve: the acquisition loop calls it once a
// cycle, before the test's own procedure, so a test that ends on a reading takes that reading with it.
//
// The readings belong to the running test: they are only ever touched by the thread the test runs on (the
// acquisition thread from the first reading to the last; the GUI thread before the test starts), so no lock
// is taken and nothing waits. Room for a long test is reserved before it starts; the disk is never touched
// here: the readings leave with the finished test and are stored with it.
class FullRateRecorder : public SampleProcedure {
public:
    // Two minutes at the loop's pace of about 1 kHz; a longer test grows the buffer as it goes.
    static constexpr std::size_t kReservedReadings = 120'000;
    // An hour at 1 kHz, 72 MB: a test left running longer keeps its 100 ms curve only.
    static constexpr std::size_t kMostReadings = 3'600'000;

    FullRateRecorder(CardTables& cards, const std::atomic<int>& stroke);

    // A new test, or a new pressing of one: no readings (nothing of a test stopped before), room for
    // `reserved`, the clock not started. Any thread: the buffer is emptied on the thread that fills it, at
    // its next reading, because a reading of the test just stopped may still be under way there.
    void begin(std::size_t reserved);
    // Readings are kept from when the curve starts to when it stops (any thread).
    void startRecording() { m_recording.store(true, std::memory_order_release); }
    void stopRecording() { m_recording.store(false, std::memory_order_release); }

    void onSample(int cardIndex) override;

    // The readings so far, handed over whole; the recorder is left empty. Nothing when the test outran
    // kMostReadings. The thread the test runs on.
    FullRateCurve take();

private:
    // The thread that fills the buffer: carries out the latest begin() it has not seen yet.
    void applyBegin();

    CardTables& m_cards;
    const std::atomic<int>& m_stroke;
    std::atomic<bool> m_recording{false};
    std::atomic<unsigned> m_begun{0};  // begin() calls so far
    std::atomic<std::size_t> m_reserve{0};
    unsigned m_applied = 0;  // the filling thread's: begin() calls carried out
    FullRateCurve m_readings;
    bool m_overrun = false;
    bool m_clockStarted = false;
    std::chrono::steady_clock::time_point m_origin;
};

}  // namespace springtest
