#pragma once

#include "sequencer/TTestStyle.h"

#include <QVariantMap>

class QDateTime;

namespace springtest {

// The storage side of the standard coil-spring machines (types 0, 1, 2, 4, 6).

// Reads a batch's scheme and next serial into `out`, lays out the result grid and installs the test procedure
// of the scheme's spring kind. On failure the message is for the operator ("参数错误！！", "当前无试验方案",
// "读取文件错误!!", also for a scheme style no scheme can have).
TTestStyle::LoadOutcome loadStandardBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                          ttest_info& out);

// Stores one finished test into its batch: a `test_result` row per measured stroke, its points written as the
// operator read them (readPoint), and a `test_point` row per curve sample, in one transaction. Empty results
// stay empty.
TTestStyle::StoreOutcome storeStandardTest(const FinishedTest& test);

// Fits the standard loader and storer into a sequencer.
void installStandardStorage(TTestStyle& sequencer);

// The general text form of a scheme number as the grid shows it (up to 15 significant digits).
QString schemeNumberText(double value);

// The date and time a test is stored with, in ISO form: "2024-05-06 10:11:12".
QString storedTestDate(const QDateTime& when);

// The start of a coil-spring test's `test_result` row for one stroke: its serial, "进" or "回", and each
// point's value and stiffness as the panel showed them.
QVariantMap strokeResultRow(const FinishedTest& test, int serial, int stroke);

}  // namespace springtest
