#include "cli/LateralExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/ExportSelection.h"
#include "measurement/ChannelConfig.h"
#include "results/CsvText.h"
#include "results/ResultsCsv.h"
#include "results/StandardQuantities.h"
#include "results/Ttest_result_HXGD.h"

#include <QFileInfo>
#include <QSet>

namespace springtest {

namespace {

const char* const kLateralExportUsage =
    "on the lateral-stiffness machine: export all|selected|points|report|csv|pdf --batch FILE_OR_NUMBER "
    "[--tests N,M,...] [--test N] [--separator comma|semicolon]";

// The results as the browser's grid shows them, or with a test its curve samples, as a CSV file.
ExportOutcome exportCsv(const Ttest_result_HXGD& browser, const ExportRequest& request,
                        std::optional<int> test, QChar separator) {
    const QString batchName = QFileInfo(browser.path()).completeBaseName();
    if (!test)
        return saveCsvReport(browser.resultsCsvRows(), separator, request,
                             batchName + QStringLiteral("_结果"));
    QString error;
    Database batch(browser.path(), Database::OpenMode::ExistingMaybeReadOnly);
    const auto rows = curveCsvRows(batch, *test, {request.loadUnits, request.displacementUnits}, error);
    if (!rows) return exportFailed(error);
    return saveCsvReport(*rows, separator, request,
                         batchName + QStringLiteral("_采集数据_") + QString::number(*test));
}

}  // namespace

int runLateralExport(const QString& applicationFolder, int machineType, const QStringList& args,
                     const ChartPicture& chartPicture) {
    const QString kind = args.value(0);
    if (!QStringList{"all", "selected", "points", "report", "csv"}.contains(kind))
        return usageError(QLatin1String(kLateralExportUsage));
    CommandOptions o(args.mid(1),
                     {QStringLiteral("batch"), QStringLiteral("tests"), QStringLiteral("test"),
                      QStringLiteral("separator"), QStringLiteral("name")},
                     {});
    const auto test = o.integer(QStringLiteral("test"), 1, 1000000000);
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("batch")))
        return usageError(QStringLiteral("export needs --batch FILE_OR_NUMBER"));
    // The lateral report is the machine's one report: there are no named ones to choose from.
    if (o.has(QStringLiteral("name")))
        return usageError(
            QStringLiteral("the lateral-stiffness machine has one report (report_HXGD): export "
                           "report --batch FILE_OR_NUMBER [--test N], without --name"));
    std::optional<QSet<int>> tests;
    if (kind == QLatin1String("selected")) {
        QString numbersError;
        tests = testNumbers(o.text(QStringLiteral("tests")), numbersError);
        if (!tests)
            return usageError(QStringLiteral("export selected needs --tests N,M,... (test numbers, 序号)"));
    }
    if (kind == QLatin1String("points") && !test)
        return usageError(QStringLiteral("export points needs --test N"));
    QString error;
    const auto separator = csvSeparator(
        o.has(QStringLiteral("separator")) ? o.text(QStringLiteral("separator")) : QStringLiteral(","),
        error);
    if (!separator) return usageError(error);

    const QString batchPath =
        resolveBatch(applicationFolder, machineType, o.text(QStringLiteral("batch")), error);
    if (batchPath.isEmpty()) return operatorError(error);
    Ttest_result_HXGD::OpenOutcome opened = Ttest_result_HXGD::open(batchPath);
    if (!opened.result) return operatorError(namingFile(opened.message, batchPath));
    Ttest_result_HXGD& browser = *opened.result;

    ExportRequest request;
    request.applicationFolder = applicationFolder;
    const BatchUnits units = configuredBatchUnits(applicationFolder);
    request.loadUnits = units.load;
    request.displacementUnits = units.displacement;
    if (test) {
        if (const int refused = refuseTestsNotInBatch(browser.results(), {*test})) return refused;
    }
    if (kind == QLatin1String("all")) return printExportOutcome(browser.ExportResults(request));
    if (kind == QLatin1String("selected")) {
        if (const int refused = refuseTestsNotInBatch(browser.results(), *tests)) return refused;
        return printExportOutcome(browser.ExportResults(request, rowsOfTests(browser.results(), *tests)));
    }
    if (kind == QLatin1String("points"))
        return printExportOutcome(browser.ExportPoints(request, QString::number(*test)));
    if (kind == QLatin1String("csv"))
        return printExportOutcome(exportCsv(browser, request, test, *separator));

    // The report describes one test, its figures and its load curve: the given test, or the first one.
    const int row = test ? rowsOfTests(browser.results(), {*test}).first() : 0;
    browser.chart().leftTitle +=
        QLatin1Char('(') + configuredLoadUnits(applicationFolder, 0) + QLatin1Char(')');
    const QString curveMessage = browser.ShowCurve(row);
    if (!curveMessage.isEmpty()) printErr(curveMessage);
    return printExportOutcome(
        browser.ExportReport(request, row, chartPicture(reportPicture(browser.chart()))));
}

}  // namespace springtest
