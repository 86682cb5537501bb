#pragma once

#include "SimConfig.h"

namespace springtest::sim {

// A leaf spring lying on the carriage, pressed from above. Unlike a coil spring it has a history:
//  - its elastic force stiffens as the leaves come into contact: k(δ) = k0·(1 + g·δ), so
//    F_el(δ) = k0·(δ + g·δ²/2) at a deflection δ below the platen's first touch;
//  - friction between the leaves adds up to ±μ·F_el: pressed further it carries (1 + μ)·F_el, let up
//    (1 − μ)·F_el; where the motion turns the friction first sticks (stick rate) before it slips the other
//    way, so the force changes steeply but continuously;
//  - each pressing that reaches the set load leaves a permanent set once the spring is let go: after n such
//    pressings the set is set∞·(1 − rⁿ), and the free arc height that far lower.
// The platen touches the spring where the crosshead's gap is arc height + total leaf thickness + carriage
// height. The spring knows only the positions it is read at: the state follows the readings.
class LeafSpring {
public:
    struct State {
        double force_n = 0.0;
        double gap_mm = 0.0;
        double deflection_mm = 0.0;
        double rate_n_per_mm = 0.0;  // slope along the way it is being pressed
    };

    void configure(const CardConfig& config);  // keeps the spring's history
    void reset(const CardConfig& config);      // a new spring

    // The spring with the crosshead at x_mm and a frame compliance of c_mm_per_n; carries the history on.
    State pressAt(double x_mm, double c_mm_per_n);

    int pressings() const { return m_pressings; }
    double setNow_mm() const;
    double arcHeightUnloaded_mm() const { return m_config.leaf_free_arc_mm - setNow_mm(); }
    // The platen gap at which the spring is first touched.
    double contactGap_mm() const;
    // Arc height (gap − thickness − carriage height) at which the spring as it is now carries `force_n`,
    // pressed further (loading) or let up (unloading), friction fully slipping.
    double arcHeightAt(double force_n, bool loading) const;
    double elasticForce(double deflection_mm) const;
    double elasticRate(double deflection_mm) const;

private:
    double stickRate() const;
    double frictionAt(double deflection_mm) const;  // given the history so far

    CardConfig m_config;
    double m_deflection_mm = 0.0;  // at the last reading
    double m_friction_n = 0.0;
    int m_pressings = 0;
    bool m_pressingPending = false;  // reached the set load; set when it is let go
};

}  // namespace springtest::sim
