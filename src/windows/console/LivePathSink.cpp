#include "windows/console/LivePathSink.h"

#include <utility>

namespace springtest {

void LivePathSink::clearPath() {
    std::lock_guard lock(m_mutex);
    // Points still queued belong to the previous test and are never drawn.
    m_pending.xs.clear();
    m_pending.ys.clear();
    m_pending.axes = Axes{};
    m_pending.cleared = true;
}

void LivePathSink::appendPathPoint(double x_mm, double y_mm) {
    std::lock_guard lock(m_mutex);
    m_pending.xs.append(x_mm);
    m_pending.ys.append(y_mm);
}

void LivePathSink::setPathAxes(double xHalfSpan, double xStep, double yHalfSpan, double yStep) {
    std::lock_guard lock(m_mutex);
    m_pending.axes = Axes{xHalfSpan, xStep, yHalfSpan, yStep};
}

LivePathSink::Batch LivePathSink::take() {
    Batch batch;
    std::lock_guard lock(m_mutex);
    std::swap(batch, m_pending);
    return batch;
}

}  // namespace springtest
