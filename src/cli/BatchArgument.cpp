#include "cli/BatchArgument.h"

#include "storage/Batch.h"

#include <QDir>
#include <QFileInfo>

namespace springtest {

QString resolveBatch(const QString& applicationFolder, int machineType, const QString& batch,
                     QString& error) {
    const QFileInfo asFile(batch);
    if (batch.contains(QLatin1Char('/')) || batch.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
        return asFile.absoluteFilePath();
    error = batchNumberError(batch);
    if (!error.isEmpty()) return QString();
    return QDir(applicationFolder)
        .filePath(batchFolderForMachineType(machineType) + batch + QStringLiteral(".mdb"));
}

}  // namespace springtest
