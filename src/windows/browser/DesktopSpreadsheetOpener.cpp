#include "windows/browser/DesktopSpreadsheetOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace springtest {

QString DesktopSpreadsheetOpener::open(const QString& path) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return {};
    return QStringLiteral("无法打开报表文件") + QDir::toNativeSeparators(path);
}

}  // namespace springtest
