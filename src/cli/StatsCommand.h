#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

// `springtest stats`: the statistics of a batch's stored tests, per quantity, as a table, as JSON or as CSV
// on standard output.
int runStatsCommand(const QString& applicationFolder, int machineType, const QStringList& args);

}  // namespace springtest
