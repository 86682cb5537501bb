#include "measurement/HydraulicControls.h"

namespace springtest {

void HydraulicControls::move(HydraulicDrive drive, CylinderMotion motion) {
    m_motions[index(drive)] = motion;
    if (m_motor) m_motor->moveHydraulicDrive(drive, motion);
}

void HydraulicControls::setPump(bool on) {
    m_pumpOn = on;
    if (m_motor) m_motor->setOilPump(on);
}

void HydraulicControls::setReliefValve(bool on) {
    m_reliefValveOn = on;
    if (m_motor) m_motor->setReliefValve(on);
}

void HydraulicControls::moveFillingCylinders(CylinderMotion motion) {
    move(HydraulicDrive::MainCylinder, motion);
    move(HydraulicDrive::LowerCylinder, motion);
}

void HydraulicControls::startFilling() {
    m_filling = true;
    moveFillingCylinders(CylinderMotion::Up);
}

void HydraulicControls::stopFilling() {
    m_filling = false;
    moveFillingCylinders(CylinderMotion::Stop);
}

bool HydraulicControls::fillingTick(float displacement_mm) {
    if (!m_filling) return false;
    const CylinderMotion main = motion(HydraulicDrive::MainCylinder);
    if (main == CylinderMotion::Down && displacement_mm <= kFillingLow_mm) {
        moveFillingCylinders(CylinderMotion::Up);
        return true;
    }
    if (main == CylinderMotion::Up && displacement_mm >= kFillingHigh_mm) {
        moveFillingCylinders(CylinderMotion::Down);
        return true;
    }
    return false;
}

}  // namespace springtest
