#pragma once

namespace springtest {

// One axis of the live curve window as the operator drives it: the visible range and the distance between
// two labelled ticks.
struct AxisScale {
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 0.0;
    bool operator==(const AxisScale&) const = default;
};

// A range with the step every operator change leaves behind: a tenth of the range.
AxisScale withTenthStep(double minimum, double maximum);

// Both ends move in by 5 % of the range: the view narrows to 90 %.
AxisScale zoomedIn(const AxisScale& axis);
// Both ends move out by 15 % of the range: the view widens to 130 %.
AxisScale zoomedOut(const AxisScale& axis);

// The maximum grows by a tenth of the range; the minimum stays.
AxisScale stretched(const AxisScale& axis);
// The maximum drops by a tenth of the range, but only while it stays above the minimum; otherwise the
// axis is left exactly as it was (a just-started test's 0 .. 0 axis stays 0 .. 0).
AxisScale shrunk(const AxisScale& axis);

}  // namespace springtest
