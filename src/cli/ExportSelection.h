#pragma once

#include "results/ReportExport.h"
#include "storage/Database.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace springtest {

// What every export command does with the test numbers (序号) it is given and with what the export made.

// The results rows of the given test numbers, in the grid's order; every stroke row of a test belongs to it.
QList<int> rowsOfTests(const QList<DbRow>& results, const QSet<int>& tests);
// The numbers of a --tests list ("3,5,8"); none, with `error` for the operator, when one is no test number or
// the list is empty.
std::optional<QSet<int>> testNumbers(const QString& list, QString& error);
// Refuses the given tests the batch does not hold, by number in ascending order; 0 when it holds them all.
int refuseTestsNotInBatch(const QList<DbRow>& results, const QSet<int>& tests);
// The saved file's path on standard output (0), or the message and its reason on standard error (1).
int printExportOutcome(const ExportOutcome& outcome);

}  // namespace springtest
