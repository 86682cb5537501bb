#include "windows/console/AxisStepping.h"

namespace springtest {

AxisScale withTenthStep(double minimum, double maximum) {
    return {minimum, maximum, (maximum - minimum) / 10.0};
}

AxisScale zoomedIn(const AxisScale& axis) {
    const double span = axis.maximum - axis.minimum;
    return withTenthStep(axis.minimum + 0.05 * span, axis.maximum - 0.05 * span);
}

AxisScale zoomedOut(const AxisScale& axis) {
    const double span = axis.maximum - axis.minimum;
    return withTenthStep(axis.minimum - 0.15 * span, axis.maximum + 0.15 * span);
}

AxisScale stretched(const AxisScale& axis) {
    return withTenthStep(axis.minimum, axis.maximum + (axis.maximum - axis.minimum) / 10.0);
}

AxisScale shrunk(const AxisScale& axis) {
    const double lowered = axis.maximum - (axis.maximum - axis.minimum) / 10.0;
    if (!(axis.minimum < lowered)) return axis;
    return withTenthStep(axis.minimum, lowered);
}

}  // namespace springtest
