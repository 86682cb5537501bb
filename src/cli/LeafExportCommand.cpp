#include "cli/LeafExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/ExportSelection.h"
#include "results/LeafResultsExport.h"
#include "results/Ttest_result_gbth.h"

#include <QSet>

namespace springtest {

namespace {

const char* const kLeafExportUsage =
    "on the leaf-spring machine: export all|selected|points|record --batch FILE_OR_NUMBER [--tests N,M,...] "
    "[--test N]";

}  // namespace

int runLeafExport(const QString& applicationFolder, int machineType, const QStringList& args) {
    const QString kind = args.value(0);
    if (kind == QLatin1String("report"))
        return usageError(
            QStringLiteral("a leaf-spring batch has no named reports: its report is the test "
                           "record, export record --batch FILE_OR_NUMBER --test N"));
    if (!QStringList{"all", "selected", "points"}.contains(kind))
        return usageError(QLatin1String(kLeafExportUsage));
    CommandOptions o(args.mid(1), {QStringLiteral("batch"), QStringLiteral("tests"), QStringLiteral("test")},
                     {});
    const auto test = o.integer(QStringLiteral("test"), 1, 1000000000);
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("batch")))
        return usageError(QStringLiteral("export needs --batch FILE_OR_NUMBER"));
    std::optional<QSet<int>> tests;
    if (kind == QLatin1String("selected")) {
        QString numbersError;  // the usage below says what the list takes
        tests = testNumbers(o.text(QStringLiteral("tests")), numbersError);
        if (!tests)
            return usageError(QStringLiteral("export selected needs --tests N,M,... (test numbers, 序号)"));
    }
    if (kind == QLatin1String("points") && !test)
        return usageError(QStringLiteral("export points needs --test N"));

    QString error;
    const QString batchPath =
        resolveBatch(applicationFolder, machineType, o.text(QStringLiteral("batch")), error);
    if (batchPath.isEmpty()) return operatorError(error);
    const Ttest_result_gbth::OpenOutcome opened = Ttest_result_gbth::open(batchPath);
    if (!opened.result) return operatorError(namingFile(opened.message, batchPath));
    const Ttest_result_gbth& browser = *opened.result;

    ExportRequest request;
    request.applicationFolder = applicationFolder;
    if (kind == QLatin1String("all")) return printExportOutcome(exportLeafResults(browser, request));
    if (kind == QLatin1String("selected")) {
        if (const int refused = refuseTestsNotInBatch(browser.results(), *tests)) return refused;
        return printExportOutcome(
            exportLeafResults(browser, request, rowsOfTests(browser.results(), *tests)));
    }
    if (const int refused = refuseTestsNotInBatch(browser.results(), {*test})) return refused;
    return printExportOutcome(browser.ExportPoints(request, QString::number(*test)));
}

}  // namespace springtest
