#include "cli/LeafExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "results/LeafResultsExport.h"
#include "results/Ttest_result_gbth.h"

#include <QSet>

#include <algorithm>

namespace springtest {

namespace {

const char* const kLeafExportUsage =
    "on the leaf-spring machine: export all|selected|points|record --batch FILE_OR_NUMBER [--tests N,M,...] "
    "[--test N]";

// The results rows of the given test numbers, in the grid's order: one row per leaf-spring test.
QList<int> rowsOfTests(const Ttest_result_gbth& browser, const QSet<int>& tests) {
    QList<int> rows;
    for (int row = 0; row < browser.results().size(); ++row)
        if (tests.contains(browser.results()[row].toInt(QStringLiteral("xuhao")))) rows << row;
    return rows;
}

// The given tests the batch does not hold, refused by number; 0 when it holds them all.
int refuseMissing(const Ttest_result_gbth& browser, const QSet<int>& tests) {
    QList<int> missing;
    for (const int test : tests)
        if (rowsOfTests(browser, {test}).isEmpty()) missing << test;
    if (missing.isEmpty()) return 0;
    std::sort(missing.begin(), missing.end());
    QStringList texts;
    for (const int test : missing) texts << QString::number(test);
    return operatorError(
        texts.size() == 1
            ? QStringLiteral("test %1 is not in this batch").arg(texts.first())
            : QStringLiteral("tests %1 are not in this batch").arg(texts.join(QStringLiteral(", "))));
}

std::optional<QSet<int>> testNumbers(const QString& list) {
    QSet<int> numbers;
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = item.trimmed().toInt(&ok);
        if (!ok || n < 1) return std::nullopt;
        numbers.insert(n);
    }
    if (numbers.isEmpty()) return std::nullopt;
    return numbers;
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
        tests = testNumbers(o.text(QStringLiteral("tests")));
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
    if (kind == QLatin1String("all")) return reportOutcome(exportLeafResults(browser, request));
    if (kind == QLatin1String("selected")) {
        if (const int refused = refuseMissing(browser, *tests)) return refused;
        return reportOutcome(exportLeafResults(browser, request, rowsOfTests(browser, *tests)));
    }
    if (const int refused = refuseMissing(browser, {*test})) return refused;
    return reportOutcome(browser.ExportPoints(request, QString::number(*test)));
}

}  // namespace springtest
