#pragma once

#include "results/ReportExport.h"

#include <QString>

namespace springtest {

// "采集数据导出" of the standard and lateral browsers: the curve samples of one test of the batch at
// `batchPath` on sheet 3 of the request's template, one row each in point order (number, load,
// displacement, deformation, stroke), with a progress window meanwhile. The batch is read through a
// connection of its own, so the browser's stays as it is.
ExportOutcome exportCurveSamples(const ExportRequest& request, const QString& batchPath,
                                 const QString& testNumber);

}  // namespace springtest
