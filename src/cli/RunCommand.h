#pragma once

#include <QStringList>

namespace springtest {

// `springtest run`: opens a batch, sets the speed and the series, runs real tests on the machine to their
// stored rows and reports each state and captured point as it happens.
int runTestsCommand(const QString& applicationFolder, const QStringList& args);

}  // namespace springtest
