#pragma once

#include "cli/ExportCommand.h"

#include <QString>
#include <QStringList>

namespace springtest {

// `springtest export all|selected|points|report|csv` on the lateral-stiffness machine: the lateral browser's
// exports of a lateral batch (its results, the results of the given tests, the curve samples of one test,
// the lateral report of one test with its load curve, the results or one test's samples as CSV). Prints the
// path of the file written under "report/". `args` start with the kind.
int runLateralExport(const QString& applicationFolder, int machineType, const QStringList& args,
                     const ChartPicture& chartPicture);

}  // namespace springtest
