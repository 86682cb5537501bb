#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

// `springtest export all|selected|points` on the leaf-spring machine: the leaf-spring browser's exports of a
// leaf-spring batch (its results, the results of the given tests, the curve samples of one test). Prints
// the path of the workbook written under "report/". `args` start with the kind.
int runLeafExport(const QString& applicationFolder, int machineType, const QStringList& args);

}  // namespace springtest
