#pragma once

#include "calibration/ForceVerification.h"
#include "calibration/LoadDrive.h"

#include <QString>

#include <functional>
#include <vector>

namespace springtest {

struct CardSlot;
class ReferenceForce;

// The force steps of a verification: at least five, ascending, from 20 % to 100 % of the gear's range.
// Empty when they will do, else why not.
QString checkVerificationSteps(const std::vector<double>& steps, double range);

struct VerificationRunOutcome {
    bool done = false;
    QString error;  // why not, in the operator's words
    VerificationInput readings;
};

// A force verification's readings on the live machine, for one card and gear (compression): three
// series; before each the indicator is zeroed with nothing on the machine and its zero read; then the
// crosshead brings the machine to each step's indicated force, stops, lets it settle, and the indicated
// force and the standard's reading are taken together; then the force comes off and the zero is read
// again. The gear stays as chosen while the run lasts.
class VerificationRun {
public:
    VerificationRun(CardSlot& card, ReferenceForce& reference, LoadDriveSettings settings,
                    LoadDrive::Pause pause = LoadDrive::defaultPause());

    // Told as each reading is taken: series (from 1), step (from 1), the reading.
    std::function<void(int series, int step, const ForceReading&)> onReading;

    VerificationRunOutcome run(int gear, const std::vector<double>& steps);
    void cancel() { m_drive.cancel(); }

private:
    CardSlot& m_card;
    ReferenceForce& m_reference;
    LoadDrive m_drive;
};

// The smallest change a gear's indication can show: its last displayed digit, or the force of one
// converter count when that is coarser.
double displayStepOf(int decimals, double countCoefficient);

}  // namespace springtest
