#include "cli/PdfExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CallerFolder.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "results/PdfReports.h"
#include "session/MachineReportContext.h"

namespace springtest {

int runPdfExport(const QString& applicationFolder, int machineType, const QStringList& args) {
    CommandOptions o(args, {QStringLiteral("batch"), QStringLiteral("test"), QStringLiteral("out")}, {});
    const auto test = o.integer(QStringLiteral("test"), 1, 2147483647);
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("batch")))
        return usageError(QStringLiteral("export pdf needs --batch FILE_OR_NUMBER"));
    if (o.has(QStringLiteral("out")) && o.text(QStringLiteral("out")).trimmed().isEmpty())
        return usageError(QStringLiteral("--out needs a file name"));

    QString error;
    const QString batchPath =
        resolveBatch(applicationFolder, machineType, o.text(QStringLiteral("batch")), error);
    if (batchPath.isEmpty()) return operatorError(error);
    ExportRequest request;
    request.applicationFolder = applicationFolder;
    const ReportContext context = machineReportContext(applicationFolder);
    const QString out = o.has(QStringLiteral("out")) ? callerPath(o.text(QStringLiteral("out"))) : QString();
    const ExportOutcome outcome = test ? saveCertificatePdf(request, batchPath, *test, context, out)
                                       : saveBatchSummaryPdf(request, batchPath, context, out);
    if (!outcome.message.isEmpty()) {
        // The reason in the system's words is the more useful line on a terminal.
        return operatorError(outcome.detail.isEmpty() ? outcome.message
                                                      : outcome.message + QLatin1Char(' ') + outcome.detail);
    }
    printOut(outcome.savedPath);
    return 0;
}

}  // namespace springtest
