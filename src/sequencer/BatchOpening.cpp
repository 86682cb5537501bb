#include "sequencer/BatchOpening.h"

#include "sequencer/procedures/StandardStorage.h"
#include "storage/Database.h"

#include <QFileInfo>

namespace springtest {

void installProceduresForMachineType(TTestStyle& sequencer) {
    switch (sequencer.machineType()) {
        case 0:
        case 1:
        case 2:
        case 4:
        case 6:
        case 7:
            installStandardStorage(sequencer);
            break;
        case 3:
        case 5:
            sequencer.setSchemeLoader([](TTestStyle&, ResultGrid*, const QString&, ttest_info&) {
                return TTestStyle::LoadOutcome{
                    false, QStringLiteral("本机型的试验程序尚未安装，无法打开试验方案!!")};
            });
            break;
        default:
            break;
    }
}

OpenBatchOutcome openBatchForTesting(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath) {
    OpenBatchOutcome outcome;
    if (batchPath.trimmed().isEmpty()) {
        outcome.message = QStringLiteral("文件名不能为空!!");
        return outcome;
    }
    if (!QFileInfo(batchPath).isFile()) {
        outcome.message = QStringLiteral("文件不存在!!");
        return outcome;
    }
    if (IsFileInUse(batchPath)) {
        outcome.message = QStringLiteral("文件正在使用!!");
        return outcome;
    }
    if (sequencer.running()) {
        outcome.message = QStringLiteral("试验正在进行，无法打开文件!!");
        return outcome;
    }
    ttest_info scheme = sequencer.scheme();
    const TTestStyle::LoadOutcome loaded = sequencer.LoadScheme(grid, batchPath, scheme);
    sequencer.setScheme(scheme);
    outcome.ok = loaded.ok;
    outcome.message = loaded.message;
    outcome.compression = scheme.scheme_type;
    return outcome;
}

}  // namespace springtest
