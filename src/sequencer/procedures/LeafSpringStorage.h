#pragma once

#include "sequencer/TTestStyle.h"

namespace springtest {

// The storage side of the leaf-spring machine (type 3).

// Reads a batch's leaf-spring scheme (`GBTH_information`) and next serial into `out`, lays out the result
// grid and installs the leaf-spring test. On failure the message is for the operator ("参数错误！！",
// "当前无试验方案", "读取文件错误!!", also for a scheme style no scheme can have).
TTestStyle::LoadOutcome loadLeafSpringBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                            ttest_info& out);

// Stores one finished leaf-spring test into its batch: one `gbth_result` row and a `test_point` row per curve
// sample, in one transaction; nothing when any of it fails. What the test did not measure is stored empty:
// the return stroke when the scheme measures the forward stroke only, static-load arc heights outside
// scheme style 3, points never reached.
TTestStyle::StoreOutcome storeLeafSpringTest(const FinishedTest& test);

// Fits the leaf-spring loader and storer into a sequencer.
void installLeafSpringStorage(TTestStyle& sequencer);

}  // namespace springtest
