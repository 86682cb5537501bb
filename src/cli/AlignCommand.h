#pragma once

#include <QStringList>

namespace springtest {

// `springtest align --return-height H`: the automatic platen alignment of the set-up menu, headless. Drives
// the card's crosshead down until the platens touch, zeroes the displacement there and brings the crosshead
// back up to the return height.
int runAlignCommand(const QString& applicationFolder, const QStringList& options);

}  // namespace springtest
