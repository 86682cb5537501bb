#include "cli/CallerFolder.h"

#include <QDir>

namespace springtest {

namespace {

// Written once by main() before any other thread exists; read-only afterwards.
QString& callerFolder() {
    static QString folder;
    return folder;
}

}  // namespace

void rememberCallerFolder(const QString& folder) {
    callerFolder() = QDir(folder).absolutePath();
}

QString callerPath(const QString& path) {
    const QString from = callerFolder().isEmpty() ? QDir::currentPath() : callerFolder();
    return QDir::cleanPath(QDir(from).absoluteFilePath(path));
}

}  // namespace springtest
