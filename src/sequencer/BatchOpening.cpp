#include "sequencer/BatchOpening.h"

#include "platform/OperatorTexts.h"
#include "sequencer/procedures/LateralStorage.h"
#include "sequencer/procedures/LeafSpringStorage.h"
#include "sequencer/procedures/StandardStorage.h"
#include "storage/BatchHold.h"

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
            installLeafSpringStorage(sequencer);
            break;
        case 5:
            installLateralStorage(sequencer);
            break;
        default:
            break;
    }
}

namespace {

OpenBatchOutcome refused(TTestStyle& sequencer, const QString& message) {
    sequencer.closeBatch();
    OpenBatchOutcome outcome;
    outcome.message = message;
    return outcome;
}

}  // namespace

OpenBatchOutcome openBatchForTesting(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath) {
    if (sequencer.running() || sequencer.seriesInProgress()) {
        // The scheme and the batch stay as they are under a test or a series.
        OpenBatchOutcome outcome;
        outcome.message = kTestRunningCannotOpen;
        return outcome;
    }
    if (batchPath.trimmed().isEmpty()) return refused(sequencer, kNoFileName);
    if (!QFileInfo(batchPath).isFile()) return refused(sequencer, kFileMissing);
    // Held from here for as long as the sequencer keeps this batch: no other program tests into it.
    const TestingHold held = holdBatchForTesting(batchPath, sequencer.scheme().batchHold);
    if (!held.hold) return refused(sequencer, held.refusal);

    ttest_info scheme;
    const TTestStyle::LoadOutcome loaded = sequencer.LoadScheme(grid, batchPath, scheme);
    if (!loaded.ok) return refused(sequencer, loaded.message);
    scheme.batchHold = held.hold;
    sequencer.setScheme(scheme);
    OpenBatchOutcome outcome;
    outcome.ok = true;
    outcome.compression = scheme.scheme_type;
    return outcome;
}

}  // namespace springtest
