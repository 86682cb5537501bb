#pragma once

#include "sequencer/FinishedTest.h"
#include "sequencer/TTestStyle.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schemes.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

namespace springtest {

// What every machine's batch loader and test storer do alike; each machine reads and writes its own columns.

// Opens the batch, numbers the next test into `out` and reads the batch's scheme row into `out` as far as
// every scheme holds alike: style, strokes, initial force, count, points and limits, and the batch itself.
// The row, for the machine's own columns; nothing, with `failure` for the operator, when the batch cannot be
// tested from.
std::optional<DbRow> readBatchScheme(ResultGrid* grid, const QString& batchPath, SchemeTable schemeTable,
                                     ResultTable resultTable, ttest_info& out,
                                     TTestStyle::LoadOutcome& failure);

// Lays the result grid out for a loaded scheme: the point table's headers then `resultHeaders`, and a row per
// point with its number, value and limits.
void layOutResultGrid(ResultGrid& grid, const ttest_info& scheme, const QList<int>& columnWidths,
                      const QStringList& resultHeaders);

// Stores a finished test into its batch in one transaction: numbered above every serial already in the file
// (under its own number when that is still above them), its result rows as `writeResults` writes them under
// that serial, a `test_point` row per curve sample, who ran it, and its full-rate curve when it has one.
// False from `writeResults` undoes it all.
TTestStyle::StoreOutcome storeInBatch(const FinishedTest& test, ResultTable resultTable,
                                      const std::function<bool(Database&, int serial)>& writeResults);

}  // namespace springtest
