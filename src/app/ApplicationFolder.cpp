#include "ApplicationFolder.h"

#include "app/MachineConfig.h"
#include "platform/ProfileFile.h"
#include "schemes/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace springtest {

namespace {

// Resource files and the names they take in the application folder.
struct Shipped {
    const char* resource;
    const char* name;
};
constexpr Shipped kShipped[] = {
    {":/springtest/init0.dat", "init0.dat"},
    {":/springtest/simcard.ini", "simcard.ini"},
    {":/springtest/report.xltx", "report.xltx"},
};

}  // namespace

InitResult initialiseApplicationFolder(const QString& folder, int machineType) {
    InitResult result;
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) {
        result.error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    for (const Shipped& s : kShipped) {
        const QString target = dir.filePath(QString::fromLatin1(s.name));
        if (QFileInfo::exists(target)) {
            result.kept << QString::fromLatin1(s.name);
            continue;
        }
        QFile source(QString::fromLatin1(s.resource));
        QFile out(target);
        if (!source.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
            result.error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(target));
            return result;
        }
        const QByteArray bytes = source.readAll();
        if (out.write(bytes) != bytes.size() || !out.flush()) {
            result.error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(target));
            out.remove();
            return result;
        }
        result.created << QString::fromLatin1(s.name);
        if (machineType >= 0 && QLatin1String(s.name) == QLatin1String("init0.dat") &&
            !ProfileFile(target).writeInt(QStringLiteral("system"), QStringLiteral("MachineType"), machineType)) {
            result.error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(target));
            return result;
        }
    }
    const DatabaseFilesResult databases = ensureDatabaseFiles(folder, MachineConfig::read(folder).machineType);
    result.created << databases.created;
    result.kept << databases.kept;
    result.error = databases.error;
    return result;
}

}  // namespace springtest
