#pragma once

#include "results/BatchStatistics.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace springtest {

// The statistics of a batch as every view lays them out (the browser's page, the workbook's sheet, the
// command line): one row per quantity, these columns.
const QStringList& statisticsTitles();

// The row's cells: a text for the quantity and its unit, a number (double or int) for each figure, an
// invalid QVariant where the figure cannot be had.
QVariantList statisticsCells(const QuantityRow& row);

// The row's cells as shown: values with the decimals they were stored with, the mean one more, the standard
// deviation two more, Cp and Cpk with two; empty where there is no figure.
QStringList statisticsTexts(const QuantityRow& row);

// The rows with a title row, numbers exact, for CSV.
QList<QStringList> statisticsCsvRows(const QList<QuantityRow>& rows);

// One row for JSON: name, column, stroke, unit, n, mean, sd, min, max, range, upper, lower, cp, cpk, within,
// above, below; null where there is no figure.
QJsonObject statisticsJson(const QuantityRow& row);

}  // namespace springtest
