#include "LeafSpring.h"

#include <algorithm>
#include <cmath>

namespace springtest::sim {

void LeafSpring::configure(const CardConfig& config) {
    m_config = config;
}

void LeafSpring::reset(const CardConfig& config) {
    *this = LeafSpring{};
    m_config = config;
}

double LeafSpring::setNow_mm() const {
    const double r = std::clamp(m_config.leaf_set_ratio, 0.0, 1.0);
    return m_config.leaf_set_mm * (1.0 - std::pow(r, m_pressings));
}

double LeafSpring::contactGap_mm() const {
    return arcHeightUnloaded_mm() + m_config.leaf_thickness_mm + m_config.carriage_height_mm;
}

double LeafSpring::elasticForce(double deflection_mm) const {
    if (deflection_mm <= 0.0) return 0.0;
    return m_config.leaf_rate_n_per_mm *
           (deflection_mm + m_config.leaf_progression_per_mm * deflection_mm * deflection_mm / 2.0);
}

double LeafSpring::elasticRate(double deflection_mm) const {
    return m_config.leaf_rate_n_per_mm *
           (1.0 + m_config.leaf_progression_per_mm * std::max(0.0, deflection_mm));
}

double LeafSpring::stickRate() const {
    return m_config.leaf_stick_rate_n_per_mm > 0.0 ? m_config.leaf_stick_rate_n_per_mm
                                                   : 20.0 * m_config.leaf_rate_n_per_mm;
}

double LeafSpring::frictionAt(double deflection_mm) const {
    const double limit = m_config.leaf_friction * elasticForce(deflection_mm);
    return std::clamp(m_friction_n + stickRate() * (deflection_mm - m_deflection_mm), -limit, limit);
}

double LeafSpring::arcHeightAt(double force_n, bool loading) const {
    const double share = loading ? 1.0 + m_config.leaf_friction : 1.0 - m_config.leaf_friction;
    const double elastic = share > 0.0 ? std::max(0.0, force_n) / share : 0.0;
    // k0·(δ + g·δ²/2) = elastic, solved for δ ≥ 0.
    const double k0 = m_config.leaf_rate_n_per_mm, g = m_config.leaf_progression_per_mm;
    double deflection = 0.0;
    if (k0 > 0.0) deflection = g > 0.0 ? (std::sqrt(1.0 + 2.0 * g * elastic / k0) - 1.0) / g : elastic / k0;
    return arcHeightUnloaded_mm() - deflection;
}

LeafSpring::State LeafSpring::pressAt(double x_mm, double c_mm_per_n) {
    State state;
    state.gap_mm = x_mm;
    const double reach = contactGap_mm() - x_mm;  // deflection were the frame rigid
    if (reach <= 0.0) {
        // Clear of the platen: the leaves come to rest, and a pressing that went far enough sets.
        m_deflection_mm = 0.0;
        m_friction_n = 0.0;
        if (m_pressingPending) {
            m_pressingPending = false;
            ++m_pressings;
        }
        return state;
    }
    // The frame gives by c·F, so the deflection δ satisfies δ + c·F(δ) = reach. F rises with δ for the
    // history at hand, so the root is unique in [0, reach]: Newton's steps, kept inside the bracket.
    const double c = std::max(0.0, c_mm_per_n);
    const auto force = [this](double d) { return elasticForce(d) + frictionAt(d); };
    double lo = 0.0, hi = reach, d = c > 0.0 ? std::clamp(m_deflection_mm, lo, hi) : reach;
    for (int i = 0; c > 0.0 && i < 60 && hi - lo > 1e-12; ++i) {
        const double h = d + c * force(d) - reach;
        if (h > 0.0)
            hi = d;
        else
            lo = d;
        const double step = 1e-7;
        const double slope = 1.0 + c * (force(d + step) - force(d)) / step;
        double next = d - h / slope;
        if (!(next > lo && next < hi)) next = (lo + hi) / 2.0;
        if (std::fabs(next - d) < 1e-12) break;
        d = next;
    }
    const double friction = frictionAt(d);
    const double limit = m_config.leaf_friction * elasticForce(d);
    const bool slipping = std::fabs(std::fabs(friction) - limit) < 1e-9 * std::max(1.0, limit);
    state.rate_n_per_mm =
        elasticRate(d) +
        (slipping ? std::copysign(m_config.leaf_friction, friction) * elasticRate(d) : stickRate());
    m_friction_n = friction;
    m_deflection_mm = d;
    state.deflection_mm = d;
    state.force_n = std::max(0.0, elasticForce(d) + friction);
    state.gap_mm = x_mm + c * state.force_n;
    if (state.force_n > 0.0 && state.force_n >= m_config.leaf_set_load_n) m_pressingPending = true;
    return state;
}

}  // namespace springtest::sim
