#include "cli/ExportCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "measurement/ChannelConfig.h"
#include "results/ReportExport.h"
#include "results/Ttest_result.h"

#include <QSet>

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
    if (batchPath.isEmpty()) return usageError(error);
    Ttest_result::OpenOutcome opened = Ttest_result::open(batchPath);
    if (!opened.result) return operatorError(opened.message);
    Ttest_result& browser = *opened.result;

    ExportRequest request;
    request.applicationFolder = applicationFolder;
    if (kind == QLatin1String("all")) return reportOutcome(browser.ExportAll(request));
    if (kind == QLatin1String("selected")) {
        const auto tests = testNumbers(o.text(QStringLiteral("tests")), error);
        if (!tests) return usageError(error);
        return reportOutcome(browser.ExportSelected(request, rowsOfTests(browser, *tests)));
    }
    if (kind == QLatin1String("points"))
        return reportOutcome(browser.ExportPoints(request, QString::number(*test)));

    // The named report's picture is the curve the browser shows: the given test's, or the first one's.
    int row = 0;
    if (test) {
        const QList<int> rows = rowsOfTests(browser, {*test});
        if (rows.isEmpty()) return operatorError(QStringLiteral("test %1 is not in this batch").arg(*test));
        row = rows.first();
    }
    // The left axis names card 0's load unit, as the browser's does.
    browser.chart().leftTitle +=
        QLatin1Char('(') + configuredLoadUnits(applicationFolder, 0) + QLatin1Char(')');
    const QString curveMessage = browser.ShowCurve(row);
    if (!curveMessage.isEmpty()) printErr(curveMessage);
    return reportOutcome(
        browser.ExportReport(request, o.text(QStringLiteral("name")), chartPicture(browser.chart())));
}

}  // namespace springtest
