#include "platform/PeriodicTimer.h"

namespace springtest {

PeriodicTimer::PeriodicTimer(std::chrono::milliseconds period, std::function<void()> tick)
    : m_period(period), m_tick(std::move(tick)), m_thread([this] { run(); }) {}

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
        auto deadline = std::chrono::steady_clock::now() + m_period;
        while (!m_quit && m_active && m_generation == generation) {
            if (m_wake.wait_until(lock, deadline,
                                  [&] { return m_quit || !m_active || m_generation != generation; }))
                break;
            lock.unlock();
            m_tick();
            lock.lock();
            deadline += m_period;
            // After a stall longer than a period, skip the missed ticks rather than firing them in a burst.
            const auto now = std::chrono::steady_clock::now();
            if (deadline < now) deadline = now + m_period;
        }
    }
}

}  // namespace springtest
