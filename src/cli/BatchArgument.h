#pragma once

#include <QString>

namespace springtest {

// The batch a command names: a path (with a folder in it) from the caller's folder; a name ending in ".mdb"
// that is a file in the caller's folder; otherwise a batch number, with or without ".mdb", in the machine
// type's batch folder (batchKindForMachineType). Empty, with `error` set, when the number is not a valid
// batch number.
QString resolveBatch(const QString& applicationFolder, int machineType, const QString& batch, QString& error);

}  // namespace springtest
