#pragma once

#include <QStringList>

namespace springtest {

// `springtest batch new`: a batch database for a scheme, as the editors' "新建批次" makes it.
int runBatchCommand(const QString& applicationFolder, int machineType, const QStringList& args);

}  // namespace springtest
