#pragma once

#include "SimConfig.h"
#include "Specimen.h"

namespace springtest::sim {

// The lateral-stiffness machine couples four cards: card 0 presses an axial spring whose top moves sideways
// as it is pressed, card 1 pushes a lateral spring and its encoder doubles as the Y sensor on the spring's
// top, card 2 is the turntable under the spring (its "millimetres" are degrees), card 3 is the X sensor.
inline constexpr int kAxialCard = 0;
inline constexpr int kLateralCard = 1;
inline constexpr int kTurntableCard = 2;
inline constexpr int kXSensorCard = 3;

// Where the axial spring's top stands sideways of its unloaded place, in the X and Y of the two sensors.
struct LateralOffset {
    double x_mm = 0.0;
    double y_mm = 0.0;
};

// The axial card's share of the coupling at one moment.
struct AxialOffsetSource {
    double deflection_mm = 0.0;     // how far its spring is pressed (≥ 0)
    double offset_per_mm = 0.0;     // lateral_offset_per_mm
    double offset_angle_deg = 0.0;  // lateral_offset_angle_deg, with the turntable at 0
};

// The angle is the direction the operator's positioning turns to 0: the offset points along
// r·(−sin θ, −cos θ), so that X = 3, Y = 4 stands at 216.87° and X = 0, Y < 0 at 0°. Turning the turntable
// by +a turns θ by +a.
LateralOffset lateralOffset(const AxialOffsetSource& axial, double turntable_deg);

// θ of an offset in [0, 360); NaN when the offset is 0 (it has no direction).
double offsetAngle_deg(const LateralOffset& offset);

// Any angle brought into [0, 360).
double normalizedAngle_deg(double angle_deg);

// The lateral spring on card 1 at crosshead position x_mm: lateral_rate_n_per_mm × (lateral_neutral_mm −
// gap), signed: positive (compression counts) when the drive has pushed in below its neutral, negative when
// it has pulled out above it. The frame gives by c·F in the sense of the force, as it does under the axial
// spring.
SpringLaw::State lateralSpringAt(const CardConfig& config, double x_mm);

}  // namespace springtest::sim
