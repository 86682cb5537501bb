#pragma once

#include "results/ReportExport.h"

#include <QList>

#include <optional>

namespace springtest {

class Ttest_result_gbth;

// The leaf-spring browser's results exports, as the standard browser's: on sheet 1 of the request's template
// the scheme grid's titles and the batch's scheme, then the results grid's titles (hidden columns included:
// the static-load arc heights belong to what a lab hands over) and, without `selectedRows`, every result;
// with them, without the titles, those rows of the browser's results in grid order, each once.
// kNoResultsToExport for a batch without results, kNothingSelected when no selected row is a result,
// kExportFailed with the reason for any failure on the way.
ExportOutcome exportLeafResults(const Ttest_result_gbth& browser, const ExportRequest& request,
                                const std::optional<QList<int>>& selectedRows = std::nullopt);

}  // namespace springtest
