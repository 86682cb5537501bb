#include "results/ReportFiles.h"

#include <QDir>
#include <QFileInfo>

namespace springtest {

QString reportFolder(const QString& applicationFolder, QString* error) {
    const QString folder = QDir(applicationFolder).filePath(QStringLiteral("report"));
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder));
        return {};
    }
    return folder + QLatin1Char('/');
}

QString newReportPath(const QString& folder, const QString& stem, const QDateTime& when,
                      const QString& suffix) {
    const QDir dir(folder);
    const QString base = stem + QLatin1Char('_') + when.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    QString path = dir.filePath(base + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral("_%1").arg(n) + suffix);
    return path;
}

}  // namespace springtest
