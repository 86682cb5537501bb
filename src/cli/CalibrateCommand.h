#pragma once

#include <QStringList>

namespace springtest {

// `springtest calibrate`: the load calibration of one card, gear and side, point by point, against a force
// standard.
int runCalibrateCommand(const QString& applicationFolder, const QStringList& options);

}  // namespace springtest
