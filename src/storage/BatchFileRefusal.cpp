#include "storage/BatchFileRefusal.h"

#include <QFileInfo>

#include "platform/OperatorTexts.h"
#include "storage/BatchHold.h"
#include "storage/Database.h"

namespace springtest {

namespace {

// A batch this program holds for testing may be opened again: the opening keeps the hold of the sequencer
// that has it, and refuses any other.
bool inUseFor(const QString& file, BatchFileUse use) {
    if (use == BatchFileUse::Delete) return IsFileInUse(file);
    return isOpenByAnyConnection(file) || batchHoldState(file) == BatchHoldState::HeldElsewhere;
}

}  // namespace

QString batchFileRefusal(const QString& file, BatchFileUse use) {
    if (QFileInfo(file.trimmed()).fileName().isEmpty()) return kNoFileName;
    if (!QFileInfo(file).isFile()) return kFileMissing;
    if (inUseFor(file, use))
        return use == BatchFileUse::Open ? kFileInUse : QStringLiteral("文件正在使用,无法删除!!");
    return QString();
}

}  // namespace springtest
