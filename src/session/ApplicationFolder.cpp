#include "session/ApplicationFolder.h"

#include "measurement/ChannelConfig.h"
#include "platform/ProfileFile.h"
#include "results/ReportNames.h"
#include "session/LateralInstallation.h"
#include "session/MachineConfig.h"
#include "session/OperatorLogin.h"
#include "storage/Schema.h"

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
    {":/springtest/性能试验记录.xltx", "性能试验记录.xltx"},
    {":/springtest/report_HXGD.xltx", "report_HXGD.xltx"},
};

}  // namespace

bool isApplicationFolderSetUp(const QString& folder) {
    return QFileInfo(machineConfigFile(folder)).isFile();
}

InitResult initialiseApplicationFolder(const QString& folder, int machineType) {
    InitResult result;
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) {
        result.error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    for (const Shipped& s : kShipped) {
        const QString target = dir.filePath(QString::fromUtf8(s.name));
        if (QFileInfo::exists(target)) {
            result.kept << QString::fromUtf8(s.name);
            continue;
        }
        QFile source(QString::fromUtf8(s.resource));
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
        result.created << QString::fromUtf8(s.name);
        if (machineType >= 0 && QLatin1String(s.name) == QLatin1String("init0.dat") &&
            !ProfileFile(target).writeInt(QStringLiteral("system"), QStringLiteral("MachineType"),
                                          machineType, &result.error))
            return result;
    }
    // A new leaf-spring installation presses springs in kilonewtons from its finest gear up, and its
    // simulated machine holds a leaf spring on its carriage under the crosshead.
    if (machineType == 3) {
        if (result.created.contains(QStringLiteral("init0.dat")) &&
            !ProfileFile(dir.filePath(QStringLiteral("init0.dat")))
                 .writeString(QStringLiteral("Load"), QStringLiteral("auto_gear"), QStringLiteral("1"),
                              &result.error))
            return result;
        if (result.created.contains(QStringLiteral("simcard.ini")) &&
            !ProfileFile(dir.filePath(QStringLiteral("simcard.ini")))
                 .writeSettings(
                     {{QStringLiteral("card0"), QStringLiteral("specimen"), QStringLiteral("leaf")},
                      {QStringLiteral("card0"), QStringLiteral("start_position_mm"), QStringLiteral("130")}},
                     &result.error))
            return result;
    }
    // A new lateral-stiffness installation drives four cards, and its simulated machine couples them.
    if (machineType == 5 && !layOutLateralInstallation(folder, result)) return result;
    // A fresh installation has one account, "admin" with the password "admin", to be changed with
    // `springtest password`; an existing account file is kept as it is.
    const QString login = QString::fromLatin1(kLoginFile);
    if (QFileInfo::exists(dir.filePath(login))) {
        result.kept << login;
    } else {
        result.error = setOperatorPassword(folder, QStringLiteral("admin"), QStringLiteral("admin"));
        if (!result.error.isEmpty()) return result;
        result.created << login;
    }
    const DatabaseFilesResult databases =
        ensureDatabaseFiles(folder, MachineConfig::read(folder).machineType);
    result.created << databases.created;
    result.kept << databases.kept;
    result.error = databases.error;
    if (!result.error.isEmpty()) return result;
    // A new scheme database names the template's example report, with the curve picture at A12, so that
    // "报表打印" offers a working report from the start.
    if (databases.created.contains(QString::fromLatin1(kSchemeDatabaseFile))) {
        const ReportNameOutcome example = saveReportName(
            schemeDatabasePath(folder), ReportName{QStringLiteral("示例报表"), QStringLiteral("A12"), true},
            [](const QString&) { return false; });
        if (!example.changed)
            result.error =
                QStringLiteral("cannot name the example report in %1: %2")
                    .arg(QString::fromLatin1(kSchemeDatabaseFile), example.messages.join(QLatin1Char(' ')));
    }
    return result;
}

}  // namespace springtest
