#include "cli/RecordExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
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

    int row = -1;
    for (int r = 0; r < browser.results().size() && row < 0; ++r)
        if (browser.results()[r].toInt(QStringLiteral("xuhao")) == *test) row = r;
    if (row < 0) return operatorError(QStringLiteral("test %1 is not in this batch").arg(*test));

    // The record's picture is the curve the browser would show for this test, its load axis in card 0's unit.
    browser.chart().leftTitle +=
        QLatin1Char('(') + configuredLoadUnits(applicationFolder, 0) + QLatin1Char(')');
    const QString curveMessage = browser.ShowCurve(row);
    if (!curveMessage.isEmpty()) printErr(curveMessage);
    ExportRequest request;
    request.applicationFolder = applicationFolder;
    request.templateName = kRecordTemplate;
    const ExportOutcome outcome = browser.ExportRecord(request, row, chartPicture(browser.chart()));
    if (!outcome.message.isEmpty()) {
        printErr(outcome.message);
        if (!outcome.detail.isEmpty()) printErr(outcome.detail);
        return 1;
    }
    printOut(outcome.savedPath);
    return 0;
}

}  // namespace springtest
