#include "sequencer/FullRateRecorder.h"

#include <utility>

namespace springtest {

FullRateRecorder::FullRateRecorder(CardTables& cards, const std::atomic<int>& stroke)
    : m_cards(cards), m_stroke(stroke) {}

void FullRateRecorder::begin(std::size_t reserved) {
    m_reserve.store(reserved, std::memory_order_relaxed);
    m_begun.fetch_add(1, std::memory_order_release);
}

void FullRateRecorder::applyBegin() {
    const unsigned begun = m_begun.load(std::memory_order_acquire);
    if (begun == m_applied) return;
    m_applied = begun;
    m_readings = FullRateCurve();
    m_readings.reserve(m_reserve.load(std::memory_order_relaxed));
    m_overrun = false;
    m_clockStarted = false;
}

void FullRateRecorder::onSample(int cardIndex) {
    applyBegin();
    if (!m_recording.load(std::memory_order_acquire) || m_overrun) return;
    if (cardIndex < 0 || cardIndex >= m_cards.count) return;
    if (m_readings.size() >= kMostReadings) {
        // A part of a curve would replay as if it were the whole: the test keeps its 100 ms rows instead.
        m_overrun = true;
        m_readings = FullRateCurve();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!m_clockStarted) {
        m_origin = now;
        m_clockStarted = true;
    }
    const MeasurementRecord& r = m_cards.cards[static_cast<size_t>(cardIndex)].record;
    m_readings.push_back(
        {std::chrono::duration<float>(now - m_origin).count(), r.load.load(std::memory_order_relaxed),
         r.displacement.load(std::memory_order_relaxed), r.deformation.load(std::memory_order_relaxed),
         m_stroke.load(std::memory_order_relaxed)});
}

FullRateCurve FullRateRecorder::take() {
    applyBegin();
    m_overrun = false;
    return std::exchange(m_readings, FullRateCurve());
}

}  // namespace springtest
