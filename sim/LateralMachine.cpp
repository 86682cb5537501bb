#include "LateralMachine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace springtest::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadPerDeg = kPi / 180.0;

}  // namespace

double normalizedAngle_deg(double angle_deg) {
    double a = std::fmod(angle_deg, 360.0);
    if (a < 0.0) a += 360.0;
    // A tiny negative remainder rounds up to 360 itself, which is 0.
    return a >= 360.0 ? 0.0 : a;
}

LateralOffset lateralOffset(const AxialOffsetSource& axial, double turntable_deg) {
    const double r = axial.offset_per_mm * std::max(0.0, axial.deflection_mm);
    if (r == 0.0) return {};
    const double theta = normalizedAngle_deg(axial.offset_angle_deg + turntable_deg) * kRadPerDeg;
    return {-r * std::sin(theta), -r * std::cos(theta)};
}

double offsetAngle_deg(const LateralOffset& offset) {
    if (offset.x_mm == 0.0 && offset.y_mm == 0.0) return std::numeric_limits<double>::quiet_NaN();
    return normalizedAngle_deg(std::atan2(-offset.x_mm, -offset.y_mm) / kRadPerDeg);
}

SpringLaw::State lateralSpringAt(const CardConfig& config, double x_mm) {
    // F = k·(n − gap) with gap = x + c·F gives F = k·(n − x) / (1 + k·c), for either sign.
    const double k = std::max(0.0, config.lateral_rate_n_per_mm);
    const double c = std::max(0.0, config.frame_compliance_mm_per_n);
    SpringLaw::State state;
    state.force_n = k * (config.lateral_neutral_mm - x_mm) / (1.0 + k * c);
    state.gap_mm = x_mm + c * state.force_n;
    state.engagement_mm = config.lateral_neutral_mm - state.gap_mm;
    state.rate_n_per_mm = k;
    return state;
}

}  // namespace springtest::sim
