#include "cli/ExportSelection.h"

#include "cli/ConsoleOutput.h"

#include <QStringList>

#include <algorithm>

namespace springtest {

QList<int> rowsOfTests(const QList<DbRow>& results, const QSet<int>& tests) {
    QList<int> rows;
    for (int row = 0; row < results.size(); ++row)
        if (tests.contains(results[row].toInt(QStringLiteral("xuhao")))) rows << row;
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

int refuseTestsNotInBatch(const QList<DbRow>& results, const QSet<int>& tests) {
    QList<int> missing;
    for (const int test : tests)
        if (rowsOfTests(results, {test}).isEmpty()) missing << test;
    if (missing.isEmpty()) return 0;
    std::sort(missing.begin(), missing.end());
    QStringList texts;
    for (const int test : missing) texts << QString::number(test);
    return operatorError(
        texts.size() == 1
            ? QStringLiteral("test %1 is not in this batch").arg(texts.first())
            : QStringLiteral("tests %1 are not in this batch").arg(texts.join(QStringLiteral(", "))));
}

int printExportOutcome(const ExportOutcome& outcome) {
    if (!outcome.message.isEmpty()) {
        printErr(outcome.message);
        if (!outcome.detail.isEmpty()) printErr(outcome.detail);
        return 1;
    }
    printOut(outcome.savedPath);
    return 0;
}

}  // namespace springtest
