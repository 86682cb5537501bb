#include "cli/RecordExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/ExportSelection.h"
#include "measurement/ChannelConfig.h"
#include "results/LeafTestRecord.h"
#include "results/Ttest_result_gbth.h"

namespace springtest {

int runRecordExport(const QString& applicationFolder, int machineType, const QStringList& args,
                    const ChartPicture& chartPicture) {
    CommandOptions o(args, {QStringLiteral("batch"), QStringLiteral("test")}, {});
    const auto test = o.integer(QStringLiteral("test"), 1, 1000000000);
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("batch")) || !test)
        return usageError(QStringLiteral("usage: springtest export record --batch FILE_OR_NUMBER --test N"));

    QString error;
    const QString batchPath =
        resolveBatch(applicationFolder, machineType, o.text(QStringLiteral("batch")), error);
    if (batchPath.isEmpty()) return operatorError(error);
    Ttest_result_gbth::OpenOutcome opened = Ttest_result_gbth::open(batchPath);
    if (!opened.result) return operatorError(namingFile(opened.message, batchPath));
    Ttest_result_gbth& browser = *opened.result;

    if (const int refused = refuseTestsNotInBatch(browser.results(), {*test})) return refused;
    const int row = rowsOfTests(browser.results(), {*test}).first();

    // The record's picture is the curve the browser would show for this test, its load axis in card 0's unit.
    browser.chart().leftTitle +=
        QLatin1Char('(') + configuredLoadUnits(applicationFolder, 0) + QLatin1Char(')');
    const QString curveMessage = browser.ShowCurve(row);
    if (!curveMessage.isEmpty()) printErr(curveMessage);
    ExportRequest request;
    request.applicationFolder = applicationFolder;
    request.templateName = kRecordTemplate;
    return printExportOutcome(browser.ExportRecord(request, row, chartPicture(browser.chart())));
}

}  // namespace springtest
