#include "sequencer/SlowApproach.h"

#include <algorithm>

namespace springtest {

std::optional<float> distanceRuleSpeed(double d, float v) {
    if (d > 1.0) return v;
    if (d > 0.5) return v / 2;
    if (d > 0.2) return std::min(v / 4, 10.0f);
    if (d > 0.1) return std::min(v / 8, 5.0f);
    return std::nullopt;
}

std::optional<float> ratioRuleSpeed(double r, float v) {
    if (r < 0.98) return v;
    if (r < 0.99) return std::min(v / 4, 20.0f);
    if (r < 0.995) return std::min(v / 8, 10.0f);
    return std::nullopt;
}

std::optional<float> loadDifferenceRuleSpeed(double d, float v) {
    if (d > 4.0) return v;
    if (d > 3.0) return v / 2;
    if (d > 2.0) return std::min(v / 4, 10.0f);
    if (d > 1.0) return std::min(v / 8, 5.0f);
    return std::nullopt;
}

}  // namespace springtest
