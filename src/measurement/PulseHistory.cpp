#include "measurement/PulseHistory.h"

#include <algorithm>

namespace springtest {

void PulseHistory::add(Micros at, int32_t pulses) {
    // A held-up loop catches up with the converter's buffered readings back to back, reading the encoder each
    // time: kept one by one, those readings would push out the ones from before the hold, which the buffered
    // loads were converted against. Readings closer together than the converter's pace stand as one.
    if (m_count > 0 && at - m_readings[static_cast<size_t>(m_newest)].at < kMinSpacing) {
        m_readings[static_cast<size_t>(m_newest)] = {at, pulses};
        return;
    }
    m_newest = (m_newest + 1) % kSize;
    m_readings[static_cast<size_t>(m_newest)] = {at, pulses};
    m_count = std::min(m_count + 1, kSize);
}

double PulseHistory::at(Micros t) const {
    if (m_count == 0) return 0.0;
    // From the newest back to the first reading taken at or before t.
    Reading later = m_readings[static_cast<size_t>(m_newest)];
    if (t >= later.at) return later.pulses;
    for (int n = 1; n < m_count; ++n) {
        const Reading earlier = m_readings[static_cast<size_t>((m_newest - n + kSize) % kSize)];
        if (earlier.at <= t) {
            if (later.at == earlier.at) return later.pulses;
            const double fraction =
                double((t - earlier.at).count()) / double((later.at - earlier.at).count());
            return earlier.pulses + fraction * (double(later.pulses) - earlier.pulses);
        }
        later = earlier;
    }
    return later.pulses;
}

}  // namespace springtest
