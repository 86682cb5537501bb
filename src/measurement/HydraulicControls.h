#pragma once

#include "measurement/TMotor.h"

#include <array>
#include <cstddef>

namespace springtest {

// The oil source of the hydraulic machines (types 2 and 3) as the card's relays switch it: the pump, the
// relief valve and the three two-way drives, and oil filling, which works the main and the lower cylinder up
// and down together between two displacements until it is switched off. Without a motor channel the states
// still change and nothing is switched. Used on the GUI thread only.
class HydraulicControls {
public:
    // Oil filling turns the cylinders round at these displacements.
    static constexpr float kFillingLow_mm = 200.0f;
    static constexpr float kFillingHigh_mm = 400.0f;

    explicit HydraulicControls(TMotor* motor) : m_motor(motor) {}

    // A drive's two valves: at most one of them is ever open.
    void move(HydraulicDrive drive, CylinderMotion motion);
    CylinderMotion motion(HydraulicDrive drive) const { return m_motions[index(drive)]; }

    void setPump(bool on);
    bool pumpOn() const { return m_pumpOn; }
    void setReliefValve(bool on);
    bool reliefValveOn() const { return m_reliefValveOn; }

    // Filling starts both cylinders up and stops them when it ends.
    void startFilling();
    void stopFilling();
    bool filling() const { return m_filling; }
    // One look at the displacement while filling: a main cylinder going down turns up at the low
    // displacement, one going up turns down at the high one, the lower cylinder with it. A cylinder the
    // operator stopped stays stopped. True when the cylinders turned.
    bool fillingTick(float displacement_mm);

private:
    static constexpr std::size_t index(HydraulicDrive drive) { return static_cast<std::size_t>(drive); }
    void moveFillingCylinders(CylinderMotion motion);

    TMotor* m_motor;
    std::array<CylinderMotion, 3> m_motions{CylinderMotion::Stop, CylinderMotion::Stop, CylinderMotion::Stop};
    bool m_pumpOn = false;
    bool m_reliefValveOn = false;
    bool m_filling = false;
};

}  // namespace springtest
