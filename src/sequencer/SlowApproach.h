#pragma once

#include <optional>

namespace springtest {

// The slow approach to a point in variable-speed mode: the speed to set for the remaining distance, ratio or
// load difference, or nothing when the speed is to stay as it is. v is the test speed.
std::optional<float> distanceRuleSpeed(double distance_mm, float v);
std::optional<float> ratioRuleSpeed(double ratio, float v);
std::optional<float> loadDifferenceRuleSpeed(double difference, float v);

}  // namespace springtest
