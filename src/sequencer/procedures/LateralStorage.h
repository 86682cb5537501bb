#pragma once

#include "sequencer/TTestStyle.h"

namespace springtest {

// The storage side of the lateral-stiffness machine (type 5).

// Reads a lateral batch's scheme (axial or lateral, by `scheme_type`) and next serial into `out`, lays out
// the result grid (an axial scheme's grid also shows "X值", "Y值", "偏移量") and installs the axial or the
// lateral test. On failure the message is for the operator.
TTestStyle::LoadOutcome loadLateralBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                         ttest_info& out);

// Stores one finished test into its lateral batch in one transaction: its `test_result` rows, a `test_point`
// row per curve sample (with X and Y for an axial test's forward samples), who ran it and, for an axial test,
// its offset angle; nothing when any of it fails.
TTestStyle::StoreOutcome storeLateralTest(const FinishedTest& test);

// Fits the lateral loader and storer into a sequencer.
void installLateralStorage(TTestStyle& sequencer);

}  // namespace springtest
