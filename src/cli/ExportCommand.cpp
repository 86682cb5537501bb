#include "cli/ExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/ExportSelection.h"
#include "cli/LateralExportCommand.h"
#include "cli/LeafExportCommand.h"
#include "cli/PdfExportCommand.h"
#include "cli/RecordExportCommand.h"
#include "measurement/ChannelConfig.h"
#include "results/CsvText.h"
#include "results/ReportExport.h"
#include "results/ResultsCsv.h"
#include "results/StandardQuantities.h"
#include "results/Ttest_result.h"
#include "storage/Batch.h"

#include <QFileInfo>
#include <QSet>

namespace springtest {

namespace {

const char* const kExportUsage =
    "export all|selected|report|points|csv|pdf --batch FILE_OR_NUMBER [--tests N,M,...] [--name REPORT] "
    "[--test N] [--separator comma|semicolon]";

// The results (one row per test), or with a test its curve samples, as a CSV file.
ExportOutcome exportCsv(const Ttest_result& browser, const ExportRequest& request, std::optional<int> test,
                        const QString& separatorName) {
    QString error;
    const auto separator = csvSeparator(separatorName.isEmpty() ? QStringLiteral(",") : separatorName, error);
    if (!separator) return {error, {}, {}};
    const BatchUnits units = configuredBatchUnits(request.applicationFolder);
    const QString batchName = QFileInfo(browser.path()).completeBaseName();
    if (!test)
        return saveCsvReport(resultsCsvRows(browser.results(), browser.scheme(), units), *separator, request,
                             batchName + QStringLiteral("_结果"));
    Database batch(browser.path(), Database::OpenMode::ExistingMaybeReadOnly);
    const auto rows = curveCsvRows(batch, *test, units, error);
    if (!rows) return exportFailed(error);
    return saveCsvReport(*rows, *separator, request,
                         batchName + QStringLiteral("_采集数据_") + QString::number(*test));
}

}  // namespace

int runExportCommand(const QString& applicationFolder, int machineType, const QStringList& args,
                     const ChartPicture& chartPicture) {
    if (!args.isEmpty() && args.first() == QLatin1String("pdf"))
        return runPdfExport(applicationFolder, machineType, args.mid(1));
    // A lateral batch has tables of its own, the lateral browser's exports and its one report.
    if (batchKindForMachineType(machineType) == BatchKind::Lateral)
        return runLateralExport(applicationFolder, machineType, args, chartPicture);
    if (!args.isEmpty() && args.first() == QLatin1String("record"))
        return runRecordExport(applicationFolder, machineType, args.mid(1), chartPicture);
    // A leaf-spring batch has tables of its own and the leaf-spring browser's exports.
    if (batchKindForMachineType(machineType) == BatchKind::LeafSpring)
        return runLeafExport(applicationFolder, machineType, args);
    const QStringList kinds{QStringLiteral("all"), QStringLiteral("selected"), QStringLiteral("report"),
                            QStringLiteral("points"), QStringLiteral("csv")};
    if (args.isEmpty() || !kinds.contains(args.first()))
        return usageError(QStringLiteral("usage: springtest ") + QLatin1String(kExportUsage));
    const QString kind = args.first();
    CommandOptions o(args.mid(1),
                     {QStringLiteral("batch"), QStringLiteral("tests"), QStringLiteral("name"),
                      QStringLiteral("test"), QStringLiteral("separator")},
                     {});
    const auto test = o.integer(QStringLiteral("test"), 1, 1000000000);
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("batch")))
        return usageError(QStringLiteral("export needs --batch FILE_OR_NUMBER"));
    if (kind == QLatin1String("selected") && !o.has(QStringLiteral("tests")))
        return usageError(QStringLiteral("export selected needs --tests N,M,..."));
    if (kind == QLatin1String("report") && o.text(QStringLiteral("name")).isEmpty())
        return usageError(QStringLiteral("export report needs --name REPORT (a name of 报表设置)"));
    if (kind == QLatin1String("points") && !test)
        return usageError(QStringLiteral("export points needs --test N"));
    if (o.has(QStringLiteral("separator"))) {
        QString separatorError;
        if (!csvSeparator(o.text(QStringLiteral("separator")), separatorError))
            return usageError(separatorError);
    }

    QString error;
    const QString batchPath =
        resolveBatch(applicationFolder, machineType, o.text(QStringLiteral("batch")), error);
    if (batchPath.isEmpty()) return operatorError(error);
    Ttest_result::OpenOutcome opened = Ttest_result::open(batchPath);
    if (!opened.result) return operatorError(namingFile(opened.message, batchPath));
    if (!opened.notice.isEmpty()) printErr(opened.notice);
    Ttest_result& browser = *opened.result;

    ExportRequest request;
    request.applicationFolder = applicationFolder;
    const BatchUnits configuredUnits = configuredBatchUnits(applicationFolder);
    request.loadUnits = configuredUnits.load;
    request.displacementUnits = configuredUnits.displacement;
    if (kind == QLatin1String("csv")) {
        if (test) {
            if (const int refused = refuseTestsNotInBatch(browser.results(), {*test})) return refused;
        }
        return printExportOutcome(exportCsv(browser, request, test, o.text(QStringLiteral("separator"))));
    }
    if (kind == QLatin1String("all")) return printExportOutcome(browser.ExportAll(request));
    if (kind == QLatin1String("selected")) {
        const auto tests = testNumbers(o.text(QStringLiteral("tests")), error);
        if (!tests) return usageError(error);
        if (const int refused = refuseTestsNotInBatch(browser.results(), *tests)) return refused;
        return printExportOutcome(browser.ExportSelected(request, rowsOfTests(browser.results(), *tests)));
    }
    if (kind == QLatin1String("points")) {
        if (const int refused = refuseTestsNotInBatch(browser.results(), {*test})) return refused;
        return printExportOutcome(browser.ExportPoints(request, QString::number(*test)));
    }

    // The named report describes one test, its figures and its curve: the given test, or the first one.
    int row = 0;
    if (test) {
        if (const int refused = refuseTestsNotInBatch(browser.results(), {*test})) return refused;
        row = rowsOfTests(browser.results(), {*test}).first();
    }
    // The left axis names card 0's load unit, as the browser's does.
    browser.chart().leftTitle +=
        QLatin1Char('(') + configuredLoadUnits(applicationFolder, 0) + QLatin1Char(')');
    const QString curveMessage = browser.ShowCurve(row);
    if (!curveMessage.isEmpty()) printErr(curveMessage);
    return printExportOutcome(browser.ExportReport(request, o.text(QStringLiteral("name")),
                                                   chartPicture(reportPicture(browser.chart())), row));
}

}  // namespace springtest
