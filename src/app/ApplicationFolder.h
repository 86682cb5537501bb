#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

// Lays out a working application folder: the machine configuration for the simulated card and the
// simulator's settings. Files already there are kept as they are: an operator's calibration is never
// overwritten.
struct InitResult {
    QStringList created;
    QStringList kept;
    QString error;  // empty on success
};

InitResult initialiseApplicationFolder(const QString& folder);

}  // namespace springtest
