#pragma once

#include "session/ApplicationFolder.h"

#include <QString>

namespace springtest {

// A new lateral-stiffness installation (machine type 5) on top of the shipped files: four cards in the
// machine configuration, the channel files of cards 1 (lateral drive, its displacement the Y sensor),
// 2 (turntable, its displacement in degrees) and 3 (X sensor), and the simulated machine with its cards
// coupled. Files the folder already had stay as the lab left them; the shipped files are changed only when
// `result` says they were just made. Adds what it makes or keeps to `result`; false with result.error set
// when a file could not be written.
bool layOutLateralInstallation(const QString& folder, InitResult& result);

}  // namespace springtest
