#pragma once

#include "results/ResultChart.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

namespace springtest {

// Draws the result browser's chart as a PNG picture (the window layer's renderer, offscreen).
using ChartPicture = std::function<QByteArray(const ResultChart&)>;

// `springtest export`: the result browser's four spreadsheet exports without a display. Prints the path of
// the workbook written under "report/".
int runExportCommand(const QString& applicationFolder, int machineType, const QStringList& args,
                     const ChartPicture& chartPicture);

}  // namespace springtest
