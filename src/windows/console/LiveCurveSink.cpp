#include "windows/console/LiveCurveSink.h"

#include <utility>

namespace springtest {

bool LiveCurveSink::Batch::isEmpty() const {
    if (cleared || axes) return false;
    for (const auto& points : series)
        if (!points.empty()) return false;
    return true;
}

void LiveCurveSink::clearCurve() {
    std::lock_guard lock(m_mutex);
    // Points still queued belong to the previous test and are never drawn.
    for (auto& points : m_pending.series) points.clear();
    m_pending.axes = Axes{};
    m_pending.cleared = true;
}

void LiveCurveSink::appendPoint(int series, double x, double load) {
    if (series < 0 || series >= kSeries) return;
    std::lock_guard lock(m_mutex);
    m_pending.series[static_cast<size_t>(series)].push_back({x, load});
}

void LiveCurveSink::setAxes(double bottomMax, double bottomStep, double leftMax, double leftStep) {
    std::lock_guard lock(m_mutex);
    m_pending.axes = Axes{bottomMax, bottomStep, leftMax, leftStep};
}

LiveCurveSink::Batch LiveCurveSink::take() {
    Batch batch;
    std::lock_guard lock(m_mutex);
    std::swap(batch, m_pending);
    return batch;
}

}  // namespace springtest
