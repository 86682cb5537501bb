#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace springtest {

// A periodic timer on a thread of its own, ticking at absolute deadlines on the steady clock so that its
// period does not drift with the work done in a tick. start() and stop() may be called from any thread,
// including from inside a tick; the thread lives as long as the object.
class PeriodicTimer {
public:
    PeriodicTimer(std::chrono::milliseconds period, std::function<void()> tick);
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts ticking one period from now; returns false when it was running already.
    bool start();
    void stop();
    bool isActive() const;

private:
    void run();

    const std::chrono::milliseconds m_period;
    const std::function<void()> m_tick;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_active = false;
    bool m_quit = false;
    uint64_t m_generation =
        0;  // bumped by every start, so a stop and restart within one period restarts the phase
    std::thread m_thread;
};

}  // namespace springtest
