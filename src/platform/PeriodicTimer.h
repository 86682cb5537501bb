#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace springtest {

// Where a periodic timer reads the time and how it waits for its next deadline. The program's timers run on
// the steady clock; a test puts in a clock it moves by hand, so that what a timer does at each deadline can
// be checked however fast or busy the machine is.
class TimerClock {
public:
    using time_point = std::chrono::steady_clock::time_point;
    virtual ~TimerClock() = default;
    virtual time_point now() const = 0;
    // Blocks on `wake` until `deadline` has come or `woken()` holds; `lock` is held on entry and on return.
    // Returns woken().
    virtual bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                           time_point deadline, const std::function<bool()>& woken) = 0;
};

// The steady clock, for every timer that is given no other.
TimerClock& steadyTimerClock();

// A periodic timer on a thread of its own, ticking at absolute deadlines on the steady clock so that its
// period does not drift with the work done in a tick. A tick that overruns its period skips the deadlines it
// missed (no burst of late ticks) and the next one comes on the same grid of start + k periods. start() and
// stop() may be called from any thread, including from inside a tick; stop() does not wait for a tick that
// is under way, so a tick may still be finishing when stop() returns. The thread lives as long as the object.
class PeriodicTimer {
public:
    PeriodicTimer(std::chrono::milliseconds period, std::function<void()> tick,
                  TimerClock& clock = steadyTimerClock());
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts ticking one period from now; returns false when it was running already.
    bool start();
    void stop();
    // Stops and returns once no tick is under way: for whoever is about to take away what the ticks read.
    // From inside a tick it only stops (the tick under way is the caller's own).
    void stopAndWait();
    bool isActive() const;

private:
    void run();

    const std::chrono::milliseconds m_period;
    const std::function<void()> m_tick;
    TimerClock& m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_active = false;
    bool m_quit = false;
    bool m_ticking = false;
    std::condition_variable m_tickDone;
    uint64_t m_generation =
        0;  // bumped by every start, so a stop and restart within one period restarts the phase
    std::thread m_thread;
};

}  // namespace springtest
