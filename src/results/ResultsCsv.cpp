#include "results/ResultsCsv.h"

#include "platform/OperatorTexts.h"
#include "results/CsvText.h"
#include "results/ReportFiles.h"

#include <QHash>
#include <QSaveFile>

namespace springtest {

namespace {

QString titled(const QString& name, const QString& unit) {
    return unit.isEmpty() ? name : name + QStringLiteral(" (") + unit + QLatin1Char(')');
}

// A test's rows by stroke: [0] the forward stroke's, [1] the return stroke's.
struct TestRows {
    int serial = 0;
    const DbRow* rows[2] = {nullptr, nullptr};
};

}  // namespace

QList<QStringList> resultsCsvRows(const QList<DbRow>& results, const QList<DbRow>& scheme,
                                  const BatchUnits& units) {
    if (scheme.isEmpty()) return {};
    const QList<Quantity> quantities = standardQuantities(results, scheme.first(), units);
    QStringList titles{QStringLiteral("序号")};
    for (const Quantity& q : quantities) titles << titled(q.name, q.unit);
    titles << QStringLiteral("测试日期");

    QList<TestRows> tests;
    QHash<int, qsizetype> bySerial;
    for (const DbRow& row : results) {
        const int serial = row.toInt(QStringLiteral("xuhao"));
        auto it = bySerial.find(serial);
        if (it == bySerial.end()) {
            it = bySerial.insert(serial, tests.size());
            tests.append(TestRows{serial, {nullptr, nullptr}});
        }
        const int stroke = row.text(QStringLiteral("jinhuicheng")).trimmed() == QStringLiteral("回") ? 1 : 0;
        if (!tests[*it].rows[stroke]) tests[*it].rows[stroke] = &row;
    }

    QList<QStringList> out{titles};
    for (const TestRows& test : tests) {
        const DbRow* first = test.rows[0] ? test.rows[0] : test.rows[1];
        QStringList cells{QString::number(test.serial)};
        for (const Quantity& q : quantities) {
            // Heights belong to the test, stored alike on both its rows.
            const DbRow* row =
                q.stroke.isEmpty() ? first : test.rows[q.stroke == QStringLiteral("回") ? 1 : 0];
            cells << (row ? row->text(q.column) : QString());
        }
        cells << first->text(QStringLiteral("date"));
        out << cells;
    }
    return out;
}

std::optional<QList<QStringList>> curveCsvRows(Database& batch, int serial, const BatchUnits& units,
                                               QString& error) {
    const auto samples = batch.select(
        QStringLiteral("select number, load, weiyi, bianxing, jinhuicheng from test_point where xuhao = ? "
                       "order by number"),
        {serial});
    if (!samples) {
        error = batch.lastError();
        return std::nullopt;
    }
    QList<QStringList> out{{QStringLiteral("点号"), titled(kLoadName, units.load),
                            titled(kDisplacementName, units.displacement),
                            titled(kDeformationName, units.displacement), QStringLiteral("进回程")}};
    for (const DbRow& s : *samples)
        out << QStringList{s.text(QStringLiteral("number")), s.text(QStringLiteral("load")),
                           s.text(QStringLiteral("weiyi")), s.text(QStringLiteral("bianxing")),
                           s.text(QStringLiteral("jinhuicheng"))};
    return out;
}

ExportOutcome saveCsvReport(const QList<QStringList>& rows, QChar separator, const ExportRequest& request,
                            const QString& stem) {
    QString error;
    const QString folder = reportFolder(request.applicationFolder, &error);
    if (folder.isEmpty()) return exportFailed(error);
    const QString path =
        newReportPath(folder, reportFileStem(stem), QDateTime::currentDateTime(), QStringLiteral(".csv"));
    // Written whole or not at all: a full disk leaves no half file that looks like the batch's results.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csvFileBytes(rows, separator)) < 0 || !file.commit())
        return exportFailed(file.errorString());
    ExportOutcome outcome;
    outcome.savedPath = path;
    if (request.opener) {
        if (error = request.opener->open(path); !error.isEmpty()) {
            outcome.message = kExportFailed.toString();
            outcome.detail = error;
        }
    }
    return outcome;
}

}  // namespace springtest
