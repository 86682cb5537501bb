#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

// Lays out a working application folder: the machine configuration for the simulated card, the simulator's
// settings, the scheme database and the database template. Files already there are kept as they are: an
// operator's calibration and schemes are never overwritten.
struct InitResult {
    QStringList created;
    QStringList kept;
    QString error;  // empty on success
};

// machineType -1 keeps the shipped configuration's type (or the folder's own, when it has one).
InitResult initialiseApplicationFolder(const QString& folder, int machineType = -1);

// True when the folder holds a machine configuration ("init0.dat"). Without one the channels would start from
// built-in defaults, uncalibrated, and write them into a new "init0.dat" at the end, as if they were the
// machine's; what drives the machine asks for `springtest init` instead.
bool isApplicationFolderSetUp(const QString& folder);

}  // namespace springtest
