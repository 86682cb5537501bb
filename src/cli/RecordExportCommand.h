#pragma once

#include "cli/ExportCommand.h"

#include <QString>
#include <QStringList>

namespace springtest {

// `springtest export record --batch FILE_OR_NUMBER --test N`: the leaf-spring test record of one test, with
// its curve, as the leaf-spring browser's "报表打印" makes it. Prints the path of the workbook written under
// "report/".
int runRecordExport(const QString& applicationFolder, int machineType, const QStringList& args,
                    const ChartPicture& chartPicture);

}  // namespace springtest
