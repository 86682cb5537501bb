#include "cli/ExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "measurement/ChannelConfig.h"
#include "results/ReportExport.h"
#include "results/Ttest_result.h"

#include <QSet>

#include <algorithm>

namespace springtest {

namespace {

const char* const kExportUsage =
    "export all|selected|report|points --batch FILE_OR_NUMBER [--tests N,M,...] [--name REPORT] [--test N]";

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
    const QStringList kinds{QStringLiteral("all"), QStringLiteral("selected"), QStringLiteral("report"),
                            QStringLiteral("points")};
    if (args.isEmpty() || !kinds.contains(args.first()))
        return usageError(QStringLiteral("usage: springtest ") + QLatin1String(kExportUsage));
    const QString kind = args.first();
    CommandOptions o(
        args.mid(1),
        {QStringLiteral("batch"), QStringLiteral("tests"), QStringLiteral("name"), QStringLiteral("test")},
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
    return reportOutcome(
        browser.ExportReport(request, o.text(QStringLiteral("name")), chartPicture(browser.chart()), row));
}

}  // namespace springtest
