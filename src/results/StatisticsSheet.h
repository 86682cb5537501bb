#pragma once

#include "results/BatchStatistics.h"

#include <QList>
#include <QString>

namespace springtest {

class Workbook;

// The sheet the statistics go to in a workbook export.
inline const QString kStatisticsSheetName = QStringLiteral("统计");

// Writes the statistics table on the workbook's sheet "统计" (the template's own, where it has one, else a
// new sheet after the last): the titles in row 1, one quantity per row below, every figure as a number so
// that the spreadsheet calculates with it, an empty cell where there is none. Leaves that sheet active; an
// error text on failure.
QString writeStatisticsSheet(Workbook& book, const QList<QuantityRow>& rows);

}  // namespace springtest
