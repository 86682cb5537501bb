#pragma once

#include "results/ReportExport.h"
#include "results/TestCertificate.h"

#include <QString>

namespace springtest {

// The PDF reports as the browser and the command line make them: drawn, saved as a new file under the
// application folder's report folder (or at `path` when one is given, never over an existing file) and
// handed to the request's opener. The outcome's message is for the operator ("PDF报表生成失败!!"), its
// detail says why.
inline constexpr QStringView kPdfReportFailed = u"PDF报表生成失败!!";

// The certificate of test `serial`.
ExportOutcome saveCertificatePdf(const ExportRequest& request, const QString& batchPath, int serial,
                                 const ReportContext& context, const QString& path = {});
// The batch's summary: statistics and a line per test.
ExportOutcome saveBatchSummaryPdf(const ExportRequest& request, const QString& batchPath,
                                  const ReportContext& context, const QString& path = {});

}  // namespace springtest
