#pragma once

#include <QString>

namespace springtest {

// The batch a command names: a file (a path, or a name ending in ".mdb") as given, or a batch number looked
// up in the machine type's batch folder. Empty, with `error` set, when the number is not a valid batch
// number.
QString resolveBatch(const QString& applicationFolder, int machineType, const QString& batch, QString& error);

}  // namespace springtest
