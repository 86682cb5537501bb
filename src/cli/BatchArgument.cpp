#include "cli/BatchArgument.h"

#include "cli/CallerFolder.h"
#include "storage/Batch.h"

#include <QFileInfo>

namespace springtest {

QString resolveBatch(const QString& applicationFolder, int machineType, const QString& batch,
                     QString& error) {
    if (batch.contains(QLatin1Char('/'))) return callerPath(batch);
    // "A1.mdb" is the file of that name where the operator stands, when there is one; otherwise batch A1,
    // which is what "batch new --batch A1.mdb" makes.
    if (batch.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive)) {
        const QString here = callerPath(batch);
        if (QFileInfo(here).isFile()) return here;
    }
    const QString number = batchNumberFromName(batch);
    error = batchNumberError(number);
    if (!error.isEmpty()) return QString();
    return batchDatabasePath(applicationFolder, batchKindForMachineType(machineType), number);
}

}  // namespace springtest
