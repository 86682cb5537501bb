#pragma once

#include "measurement/CardSlot.h"
#include "measurement/SampleSlot.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

namespace springtest {

// The acquisition thread: keeps every card's measurement record current without pause, reports automatic
// gear changes, and while a test runs hands each cycle to the sequencer's per-sample procedure. The pace is
// set by the driver's conversions (68 per load reading), not by a sleep of its own.
//
// Owned by the session: start() creates the thread, stop() asks it to end and joins it. On its way out it
// stops every card's motor. An exception inside the loop ends the loop cleanly (motors stopped) and is kept
// as lastError(); failed() tells at once, so that the operator hears of it while it happens.
class Tbankhk {
public:
    Tbankhk(CardTables& cards, SampleSlot* sequencer);
    ~Tbankhk();
    Tbankhk(const Tbankhk&) = delete;
    Tbankhk& operator=(const Tbankhk&) = delete;

    void start();
    void requestStop() { m_stopRequested.store(true, std::memory_order_relaxed); }
    void stop();  // request and join
    bool isRunning() const { return m_running.load(std::memory_order_acquire); }

    // Completed cycles over all cards; each cycle is one reading of every card.
    uint64_t cycles() const { return m_cycles.load(std::memory_order_relaxed); }
    // The longest time between two consecutive cycles since the last reset, in microseconds.
    uint64_t longestCycleGapUs() const { return m_longestGapUs.load(std::memory_order_relaxed); }
    void resetCycleGap() { m_longestGapUs.store(0, std::memory_order_relaxed); }
    // CPU time the thread has used, in seconds; 0 when not running.
    double threadCpuSeconds() const;
    QString lastError() const;
    // Whether the loop ended on an error; cheap enough for a window to ask on every refresh. lastError()
    // holds the error once this is true.
    bool failed() const { return m_failed.load(std::memory_order_acquire); }

    // One pass of the loop; what the thread repeats. Public for tests that drive cycles by hand.
    void cycle();

private:
    void run();
    void stopAllMotors();

    CardTables& m_cards;
    SampleSlot* m_sequencer;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_running{false};
    std::atomic<uint64_t> m_cycles{0};
    std::atomic<uint64_t> m_longestGapUs{0};
    mutable std::mutex m_errorMutex;
    QString m_lastError;
    std::atomic<bool> m_failed{false};
};

}  // namespace springtest
