#include "platform/PeriodicTimer.h"

namespace springtest {

namespace {

class SteadyTimerClock : public TimerClock {
public:
    time_point now() const override { return std::chrono::steady_clock::now(); }
    bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, time_point deadline,
                   const std::function<bool()>& woken) override {
        return wake.wait_until(lock, deadline, woken);
    }
};

// The first deadline on the grid `deadline` + k periods that is not behind `now`: the ticks a long tick made
// late are skipped rather than fired in a burst, and the ones after it keep their phase, so stalls do not add
// up to a drift.
TimerClock::time_point nextDeadlineOnGrid(TimerClock::time_point deadline, TimerClock::time_point now,
                                          std::chrono::steady_clock::duration period) {
    if (deadline < now)
        deadline += period * ((now - deadline + period - std::chrono::steady_clock::duration(1)) / period);
    return deadline;
}

}  // namespace

TimerClock& steadyTimerClock() {
    static SteadyTimerClock clock;
    return clock;
}

PeriodicTimer::PeriodicTimer(std::chrono::milliseconds period, std::function<void()> tick, TimerClock& clock)
    : m_period(period), m_tick(std::move(tick)), m_clock(clock), m_thread([this] { run(); }) {}

PeriodicTimer::~PeriodicTimer() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool PeriodicTimer::start() {
    {
        std::lock_guard lock(m_mutex);
        if (m_active) return false;
        m_active = true;
        ++m_generation;
    }
    m_wake.notify_all();
    return true;
}

void PeriodicTimer::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_active = false;
    }
    m_wake.notify_all();
}

void PeriodicTimer::stopAndWait() {
    std::unique_lock lock(m_mutex);
    m_active = false;
    m_wake.notify_all();
    if (std::this_thread::get_id() == m_thread.get_id()) return;
    m_tickDone.wait(lock, [this] { return !m_ticking; });
}

bool PeriodicTimer::isActive() const {
    std::lock_guard lock(m_mutex);
    return m_active;
}

void PeriodicTimer::run() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_wake.wait(lock, [this] { return m_quit || m_active; });
        if (m_quit) break;
        const uint64_t generation = m_generation;
        const auto stopped = [&] { return m_quit || !m_active || m_generation != generation; };
        auto deadline = m_clock.now() + m_period;
        while (!stopped()) {
            if (m_clock.waitUntil(m_wake, lock, deadline, stopped)) break;
            m_ticking = true;
            lock.unlock();
            m_tick();
            lock.lock();
            m_ticking = false;
            m_tickDone.notify_all();
            deadline = nextDeadlineOnGrid(deadline + m_period, m_clock.now(), m_period);
        }
    }
}

}  // namespace springtest
