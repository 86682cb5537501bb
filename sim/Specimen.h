#pragma once

#include <array>

#include "SimConfig.h"

namespace springtest::sim {

// The specimen's force as a function of its engagement u (mm): 0 for u ≤ 0, then monotone and piecewise
// linear. Engagement is measured from a reference gap, in the sense that loads the specimen:
//   u = sense · (reference − gap)
// sense +1: loaded as the platens close (compression spring, proving ring, the bare platens; tension spring
// stretched as the crosshead comes down), sense -1: loaded as they open (tension spring or ring pulled as the
// crosshead rises).
//
// The frame yields under the load it carries, in the same sense as the specimen's engagement, so the true gap
// is
//   gap = x + sense · c · F     (x the crosshead position, c the frame compliance)
// and the engagement is u = u0 − c·F with u0 = sense · (reference − x). Force and gap are solved together.
class SpringLaw {
public:
    struct State {
        double force_n = 0.0;  // ≥ 0
        double gap_mm = 0.0;
        double engagement_mm = 0.0;
        double rate_n_per_mm = 0.0;  // slope of the law where it stands (0 when disengaged)
    };

    SpringLaw() = default;
    static SpringLaw fromConfig(const CardConfig& config);

    double sense() const { return m_sense; }

    // The consistent state with the crosshead at x_mm and a frame compliance of c_mm_per_n.
    State solve(double x_mm, double c_mm_per_n) const;

    // The law itself, without the frame: force at engagement u.
    double forceAt(double u_mm) const;

private:
    struct Segment {
        double start_mm;  // engagement where the segment begins
        double force_n;   // force there
        double slope_n_per_mm;
    };
    void add(double start_mm, double force_n, double slope_n_per_mm);

    std::array<Segment, 4> m_segments{};
    int m_count = 0;  // 0: never engages
    double m_reference_mm = 0.0;
    double m_sense = 1.0;
};

}  // namespace springtest::sim
