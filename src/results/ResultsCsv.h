#pragma once

#include "results/ReportExport.h"
#include "results/StandardQuantities.h"
#include "storage/Database.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace springtest {

// A standard batch's results for a spreadsheet: a title row, then one row per test in stored order with
// its serial, for each stroke the batch measures each point's value and stiffness, the spring height, the
// solid height where the scheme measures it, and the date; every number as it was stored. The titles name
// the quantity and its unit: "结果1 进 (N)".
QList<QStringList> resultsCsvRows(const QList<DbRow>& results, const QList<DbRow>& scheme,
                                  const BatchUnits& units);

// One test's curve samples: a title row, then number, load, displacement, deformation and stroke of each
// sample in recording order, as stored. Nothing, with `error` set, on a database error.
std::optional<QList<QStringList>> curveCsvRows(Database& batch, int serial, const BatchUnits& units,
                                               QString& error);

// Writes the rows as a CSV file (see csvFileBytes) under the application folder's report folder, named after
// `stem`, and hands it to the request's opener. Messages as the workbook exports give them.
ExportOutcome saveCsvReport(const QList<QStringList>& rows, QChar separator, const ExportRequest& request,
                            const QString& stem);

}  // namespace springtest
