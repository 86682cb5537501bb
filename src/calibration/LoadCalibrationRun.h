#pragma once

#include "calibration/LoadDrive.h"

#include <QString>

#include <functional>
#include <vector>

namespace springtest {

struct CardSlot;
class ReferenceForce;

// The forces of a calibration: one to three points, each above the one before, within the gear's range.
// Empty when they will do, else why not.
QString checkCalibrationPoints(const std::vector<double>& points, double range);

struct CalibratedPoint {
    int kind = 0;            // as the load channel counts them: 1…3 compression, 4…6 tension
    double nominal = 0.0;    // the force the machine was brought to, as it indicated then
    double indicated = 0.0;  // what it indicated when the reference was read
    double reference = 0.0;  // the standard's reading
    QString coefficient;     // the point's new coefficient, "#0.0000000"
};

struct LoadCalibrationOutcome {
    bool done = false;
    QString error;  // why not, in the operator's words
    std::vector<CalibratedPoint> points;
};

// The load calibration of one card, gear and side, point by point, as the calibration window does it by
// hand: with nothing on the machine the gear's zero is taken; then for each point the crosshead builds up
// the force on the standard until the machine indicates the point's force, stops, lets it settle, and the
// standard's reading becomes that point's calibration. At the end the force is taken off again.
//
// The gear stays as chosen while the run lasts: automatic gear changes are switched off for the run and
// restored after. Runs on the caller's thread (see LoadDrive).
class LoadCalibrationRun {
public:
    LoadCalibrationRun(CardSlot& card, ReferenceForce& reference, LoadDriveSettings settings,
                       LoadDrive::Pause pause = LoadDrive::defaultPause());

    // Told as each point is stored.
    std::function<void(const CalibratedPoint&)> onPoint;

    LoadCalibrationOutcome run(int gear, LoadSide side, const std::vector<double>& points);
    void cancel() { m_drive.cancel(); }

private:
    CardSlot& m_card;
    ReferenceForce& m_reference;
    LoadDrive m_drive;
};

}  // namespace springtest
