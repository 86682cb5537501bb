#pragma once

#include "sequencer/TTestStyle.h"

namespace springtest {

// Fits the scheme loader and the test storer of a machine type into the sequencer: the standard ones for the
// coil-spring machines (0, 1, 2, 4, 6, 7), the leaf-spring ones (3), the lateral ones (5); nothing for
// unknown types.
void installProceduresForMachineType(TTestStyle& sequencer);

struct OpenBatchOutcome {
    bool ok = false;
    QString message;          // for the operator when not ok
    bool compression = true;  // the opened scheme's spring kind: the caller sets the test direction by it
};

// Opens a batch database for testing: refuses under a running test or series, an empty name, a missing file
// and a file in use, then has the sequencer's loader read the scheme and lay out the grid, and hands the
// scheme to the sequencer. Whatever fails after the first refusal leaves the sequencer with no batch at all,
// rather than on the batch opened before. The opened batch stays held for testing (holdBatchForTesting) for
// as long as the sequencer keeps its scheme, so no other program tests into it meanwhile.
OpenBatchOutcome openBatchForTesting(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath);

}  // namespace springtest
