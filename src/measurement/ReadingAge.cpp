#include "measurement/ReadingAge.h"

#include <algorithm>

namespace springtest {

namespace {
constexpr int kRing = ReadingAge::kWindow + 1;
}

// The mean rather than the most common interval: how the readings of a reader that keeps up fall on the
// driver's wake-ups varies, and a hold is made up by the catching up after it, so on average the readings
// come at exactly the converter's pace.
ReadingAge::Micros ReadingAge::pace() const {
    const int intervals = m_count - 1;
    if (intervals < kLearnt) return Micros{0};
    const int oldest = (m_newest - intervals + kRing) % kRing;
    return (m_completed[static_cast<size_t>(m_newest)] - m_completed[static_cast<size_t>(oldest)]) /
           intervals;
}

ReadingAge::Micros ReadingAge::onReading(Micros now) {
    // Judged by the pace of the readings before this one.
    const Micros pace = this->pace();
    const Micros interval = m_count > 0 ? now - m_completed[static_cast<size_t>(m_newest)] : Micros{0};
    m_newest = (m_newest + 1) % kRing;
    m_completed[static_cast<size_t>(m_newest)] = now;
    m_count = std::min(m_count + 1, kRing);

    if (pace <= Micros{0}) {
        m_age = Micros{0};
    } else if (interval > pace + pace / 2) {
        // Held up while the converter went on filling its FIFO: the reading is as old as the delay, or as
        // the FIFO is deep when the delay was longer and the oldest conversions were lost.
        const auto fifo = Micros(static_cast<int64_t>(m_fifoReadings * static_cast<double>(pace.count())));
        m_age = std::min(m_age + interval - pace, fifo);
    } else if (interval < pace / 2) {
        // Taken from the FIFO without waiting: the reader gained a reading on the converter.
        m_age = std::max(Micros{0}, m_age + interval - pace);
    } else {
        // At the converter's pace: the reading waited for its conversions, which are fresh. A converter that
        // buffers nothing always lands here after a delay, so its readings are never taken for old ones.
        m_age = Micros{0};
    }
    return m_age;
}

}  // namespace springtest
