#pragma once

#include "sequencer/procedures/LateralTest.h"

#include <QString>

#include <optional>

namespace springtest {

struct CardTables;

// The lateral-stiffness machine (machine type 5) presses a spring with its axial drive (card 0) for an axial
// scheme and pushes it sideways with its lateral drive (card 1) for a lateral one, as its control panel
// starts them.
inline constexpr int kLateralMachineType = 5;
inline constexpr int kAxialDriveCard = 0;

// Whether the batch's scheme is axial (true) or lateral (false); nothing when the batch cannot be read,
// which opening it for testing then tells the operator in its own words.
std::optional<bool> batchSchemeIsAxial(const QString& batchPath);

// The card a lateral-machine scheme is tested on.
inline int lateralTestCard(bool axialScheme) {
    return axialScheme ? kAxialDriveCard : kLateralDriveCard;
}

// Stops every drive of the machine: a run that is cut short leaves nothing moving, the turntable included.
void stopAllDrives(CardTables& cards);

}  // namespace springtest
