#include "cli/ExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
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

#include <algorithm>

namespace springtest {

namespace {

const char* const kExportUsage =
    "export all|selected|report|points|csv|pdf --batch FILE_OR_NUMBER [--tests N,M,...] [--name REPORT] "
    "[--test N] [--separator comma|semicolon]";

// The results rows of the given test numbers, in the grid's order; every stroke row of a test belongs to it.
QList<int> rowsOfTests(const Ttest_result& browser, const QSet<int>& tests) {
    QList<int> rows;
    for (int row = 0; row < browser.results().size(); ++row)
        if (tests.contains(browser.results()[row].toInt(QStringLiteral("xuhao")))) rows << row;
    return rows;
}

std::optional<QSet<int>> testNumbers(const QString& list, QString& error) {
    QSet<int> numbers;
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = item.trimmed().toInt(&ok);
        if (!ok || n < 1) {
            error =
                QStringLiteral("--tests needs test numbers (序号) separated by commas, not '%1'").arg(item);
            return std::nullopt;
        }
        numbers.insert(n);
    }
    if (numbers.isEmpty()) {
        error = QStringLiteral("--tests needs at least one test number");
        return std::nullopt;
    }
    return numbers;
}

// The given tests the batch does not hold, in ascending order, as text for the refusal.
QStringList testsNotInBatch(const Ttest_result& browser, const QSet<int>& tests) {
    QList<int> missing;
    for (const int test : tests)
        if (rowsOfTests(browser, {test}).isEmpty()) missing << test;
    std::sort(missing.begin(), missing.end());
    QStringList texts;
    for (const int test : missing) texts << QString::number(test);
    return texts;
}

int refuseTestsNotInBatch(const QStringList& missing) {
    return operatorError(
        missing.size() == 1
            ? QStringLiteral("test %1 is not in this batch").arg(missing.first())
            : QStringLiteral("tests %1 are not in this batch").arg(missing.join(QStringLiteral(", "))));
}

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

int reportOutcome(const ExportOutcome& outcome) {
    if (!outcome.message.isEmpty()) {
        printErr(outcome.message);
        if (!outcome.detail.isEmpty()) printErr(outcome.detail);
        return 1;
    }
    printOut(outcome.savedPath);
    return 0;
}

}  // namespace

int runExportCommand(const QString& applicationFolder, int machineType, const QStringList& args,
                     const ChartPicture& chartPicture) {
    if (!args.isEmpty() && args.first() == QLatin1String("pdf"))
        return runPdfExport(applicationFolder, machineType, args.mid(1));
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
        if (test && rowsOfTests(browser, {*test}).isEmpty())
            return refuseTestsNotInBatch({QString::number(*test)});
        return reportOutcome(exportCsv(browser, request, test, o.text(QStringLiteral("separator"))));
    }
    if (kind == QLatin1String("all")) return reportOutcome(browser.ExportAll(request));
    if (kind == QLatin1String("selected")) {
        const auto tests = testNumbers(o.text(QStringLiteral("tests")), error);
        if (!tests) return usageError(error);
        if (const QStringList missing = testsNotInBatch(browser, *tests); !missing.isEmpty())
            return refuseTestsNotInBatch(missing);
        return reportOutcome(browser.ExportSelected(request, rowsOfTests(browser, *tests)));
    }
    if (kind == QLatin1String("points")) {
        if (rowsOfTests(browser, {*test}).isEmpty()) return refuseTestsNotInBatch({QString::number(*test)});
        return reportOutcome(browser.ExportPoints(request, QString::number(*test)));
    }

    // The named report describes one test, its figures and its curve: the given test, or the first one.
    int row = 0;
    if (test) {
        const QList<int> rows = rowsOfTests(browser, {*test});
        if (rows.isEmpty()) return refuseTestsNotInBatch({QString::number(*test)});
        row = rows.first();
    }
    // The left axis names card 0's load unit, as the browser's does.
    browser.chart().leftTitle +=
        QLatin1Char('(') + configuredLoadUnits(applicationFolder, 0) + QLatin1Char(')');
    const QString curveMessage = browser.ShowCurve(row);
    if (!curveMessage.isEmpty()) printErr(curveMessage);
    return reportOutcome(browser.ExportReport(request, o.text(QStringLiteral("name")),
                                              chartPicture(reportPicture(browser.chart())), row));
}

}  // namespace springtest
