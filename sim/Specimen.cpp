#include "Specimen.h"

#include <algorithm>
#include <cmath>

namespace springtest::sim {

void SpringLaw::add(double start_mm, double force_n, double slope_n_per_mm) {
    if (m_count < static_cast<int>(m_segments.size()))
        m_segments[static_cast<size_t>(m_count++)] = {start_mm, force_n, std::max(0.0, slope_n_per_mm)};
}

SpringLaw SpringLaw::fromConfig(const CardConfig& config) {
    SpringLaw law;
    const double rate = std::max(0.0, config.rate_n_per_mm);
    switch (config.specimenKind()) {
        case SpecimenKind::Compression: {
            // Met as the crosshead comes down; past solid height the coils touch and the rise is steep.
            law.m_reference_mm = config.free_height_mm;
            law.m_sense = 1.0;
            const double travel_mm = std::max(0.0, config.free_height_mm - config.solid_height_mm);
            law.add(0.0, 0.0, rate);
            law.add(travel_mm, rate * travel_mm, config.solidRate());
            break;
        }
        case SpecimenKind::Tension: {
            // The coils are wound against each other: until the initial tension is overcome the spring barely
            // extends (a stiff rise), after that it follows its rate.
            law.m_reference_mm = config.free_length_mm;
            law.m_sense = config.stretch_when < 0.0 ? -1.0 : 1.0;
            const double tension_n = std::max(0.0, config.initial_tension_n);
            const double stiff = 100.0 * rate;
            if (tension_n > 0.0 && stiff > 0.0) {
                const double opening_mm = tension_n / stiff;
                law.add(0.0, 0.0, stiff);
                law.add(opening_mm, tension_n, rate);
            } else {
                law.add(0.0, tension_n, rate);
            }
            break;
        }
        case SpecimenKind::Ring:
            // A proving ring: one stiff linear body, pressed as the crosshead comes down; on a machine that
            // pulls as it rises (stretch_when = up) it is hooked in and pulled instead.
            law.m_reference_mm = config.ring_height_mm;
            law.m_sense = config.stretch_when < 0.0 ? -1.0 : 1.0;
            law.add(0.0, 0.0, config.ring_rate_n_per_mm);
            break;
        case SpecimenKind::Leaf:
            // A leaf spring has a history and a law of its own (LeafSpring); this law stands for the
            // platens behind it.
        case SpecimenKind::Lateral:
            // The lateral spring pushes back either way and has a signed law of its own (LateralMachine);
            // this law stands for the platens behind it.
        case SpecimenKind::None:
            // The bare platens meet, and the frame holds them almost rigidly.
            law.m_reference_mm = config.platen_contact_mm;
            law.m_sense = 1.0;
            law.add(0.0, 0.0, config.platen_rate_n_per_mm);
            break;
    }
    return law;
}

double SpringLaw::forceAt(double u_mm) const {
    if (m_count == 0 || u_mm <= 0.0) return 0.0;
    int i = m_count - 1;
    while (i > 0 && u_mm < m_segments[static_cast<size_t>(i)].start_mm) --i;
    const Segment& s = m_segments[static_cast<size_t>(i)];
    return s.force_n + s.slope_n_per_mm * (u_mm - s.start_mm);
}

SpringLaw::State SpringLaw::solve(double x_mm, double c_mm_per_n) const {
    State state;
    state.gap_mm = x_mm;
    if (m_count == 0) return state;
    const double u0 = m_sense * (m_reference_mm - x_mm);
    state.engagement_mm = u0;
    if (u0 <= 0.0) return state;  // F ≥ 0 makes u ≤ u0 ≤ 0: the platens do not touch it
    const double c = std::max(0.0, c_mm_per_n);

    // On segment i the law is F = a + b·u; with u = u0 − c·F that gives F = (a + b·u0) / (1 + b·c). The law
    // is monotone, so exactly one segment holds its own solution; the first from the top whose solution lands
    // at or past its start is it.
    for (int i = m_count - 1; i >= 0; --i) {
        const Segment& s = m_segments[static_cast<size_t>(i)];
        const double a = s.force_n - s.slope_n_per_mm * s.start_mm;
        const double force = std::max(0.0, (a + s.slope_n_per_mm * u0) / (1.0 + s.slope_n_per_mm * c));
        const double u = u0 - c * force;
        if (u >= s.start_mm || i == 0) {
            state.force_n = force;
            state.engagement_mm = u;
            state.rate_n_per_mm = s.slope_n_per_mm;
            break;
        }
    }
    state.gap_mm = x_mm + m_sense * c * state.force_n;
    return state;
}

}  // namespace springtest::sim
