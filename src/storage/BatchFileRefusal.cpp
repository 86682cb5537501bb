#include "storage/BatchFileRefusal.h"

#include <QFileInfo>

#include "storage/Database.h"

namespace springtest {

QString batchFileRefusal(const QString& file, BatchFileUse use) {
    if (QFileInfo(file.trimmed()).fileName().isEmpty()) return QStringLiteral("文件名不能为空!!");
    if (!QFileInfo(file).isFile()) return QStringLiteral("文件不存在!!");
    if (IsFileInUse(file))
        return use == BatchFileUse::Open ? QStringLiteral("文件正在使用!!")
                                         : QStringLiteral("文件正在使用,无法删除!!");
    return QString();
}

}  // namespace springtest
