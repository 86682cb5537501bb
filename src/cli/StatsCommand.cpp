#include "cli/StatsCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "results/CsvText.h"
#include "results/StandardQuantities.h"
#include "results/StatisticsTable.h"
#include "results/Ttest_result.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace springtest {

namespace {

// Columns a terminal shows: a Chinese character takes two.
int displayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) width += c >= 0x1100 ? 2 : 1;
    return width;
}

QString padded(const QString& text, int width, bool right) {
    const QString pad(std::max(0, width - displayWidth(text)), QLatin1Char(' '));
    return right ? pad + text : text + pad;
}

QString tableText(const QList<QuantityRow>& rows) {
    QList<QStringList> lines{statisticsTitles()};
    for (const QuantityRow& row : rows) lines << statisticsTexts(row);
    QList<int> widths(statisticsTitles().size(), 0);
    for (const QStringList& line : lines)
        for (int c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], displayWidth(line[c]));
    QStringList out;
    for (const QStringList& line : lines) {
        QStringList cells;
        // Names and units read from the left, figures line up on their last digit.
        for (int c = 0; c < line.size(); ++c) cells << padded(line[c], widths[c], c > 1);
        out << cells.join(QStringLiteral("  ")).trimmed();
    }
    return out.join(QLatin1Char('\n'));
}

QString jsonText(const QString& batchPath, int tests, const QList<QuantityRow>& rows) {
    QJsonArray quantities;
    for (const QuantityRow& row : rows) quantities.append(statisticsJson(row));
    QJsonObject o;
    o.insert(QStringLiteral("batch"), batchPath);
    o.insert(QStringLiteral("tests"), tests);
    o.insert(QStringLiteral("quantities"), quantities);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)).trimmed();
}

int testCount(const Ttest_result& browser) {
    QList<int> serials;
    for (const DbRow& row : browser.results()) serials << row.toInt(QStringLiteral("xuhao"));
    std::sort(serials.begin(), serials.end());
    return static_cast<int>(std::unique(serials.begin(), serials.end()) - serials.begin());
}

}  // namespace

int runStatsCommand(const QString& applicationFolder, int machineType, const QStringList& args) {
    CommandOptions o(args, {QStringLiteral("batch"), QStringLiteral("separator")},
                     {QStringLiteral("json"), QStringLiteral("csv")});
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("batch")))
        return usageError(QStringLiteral("stats needs --batch FILE_OR_NUMBER"));
    if (o.has(QStringLiteral("json")) && o.has(QStringLiteral("csv")))
        return usageError(QStringLiteral("stats prints either --json or --csv, not both"));
    QString error;
    const auto separator = csvSeparator(o.text(QStringLiteral("separator"), QStringLiteral(",")), error);
    if (!separator) return usageError(error);

    const QString batchPath =
        resolveBatch(applicationFolder, machineType, o.text(QStringLiteral("batch")), error);
    if (batchPath.isEmpty()) return operatorError(error);
    Ttest_result::OpenOutcome opened = Ttest_result::open(batchPath);
    if (!opened.result) return operatorError(namingFile(opened.message, batchPath));
    if (!opened.notice.isEmpty()) printErr(opened.notice);
    const Ttest_result& browser = *opened.result;
    if (browser.scheme().isEmpty())
        return operatorError(namingFile(QStringLiteral("当前无试验方案"), batchPath));

    const QList<QuantityRow> rows =
        standardBatchStatistics(browser.results(), browser.scheme(), configuredBatchUnits(applicationFolder));
    if (o.has(QStringLiteral("json"))) {
        printOut(jsonText(batchPath, testCount(browser), rows));
    } else if (o.has(QStringLiteral("csv"))) {
        QString text = csvText(statisticsCsvRows(rows), *separator);
        text.chop(2);  // printOut ends the last line
        printOut(text);
    } else {
        printOut(
            QStringLiteral("%1: %2 tests").arg(QDir::toNativeSeparators(batchPath)).arg(testCount(browser)));
        printOut(tableText(rows));
    }
    return 0;
}

}  // namespace springtest
