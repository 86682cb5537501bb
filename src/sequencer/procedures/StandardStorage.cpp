#include "sequencer/procedures/StandardStorage.h"

#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/BatchStorage.h"
#include "sequencer/procedures/StandardTest.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/SchemeCheck.h"
#include "storage/TestOperator.h"

#include <QDateTime>

namespace springtest {

QString schemeNumberText(double value) {
    return QString::number(value, 'g', 15);
}

QString storedTestDate(const QDateTime& when) {
    // One form whatever the system's locale: reports and exports read it back as a date, and a batch moved
    // to a machine set up for another country still sorts and reads the same.
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariantMap strokeResultRow(const FinishedTest& test, int serial, int stroke) {
    QVariantMap row;
    row.insert(QStringLiteral("xuhao"), serial);
    row.insert(QStringLiteral("jinhuicheng"), stroke == 1 ? QStringLiteral("进") : QStringLiteral("回"));
    for (int k = 1; k <= test.scheme.scheme_sum; ++k) {
        const PointReadout point = readPoint(test.results, test.scheme, stroke, k, test.format);
        row.insert(QStringLiteral("result") + QString::number(k), point.value);
        row.insert(QStringLiteral("gangdu") + QString::number(k), point.stiffness);
    }
    return row;
}

TTestStyle::LoadOutcome loadStandardBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                          ttest_info& out) {
    TTestStyle::LoadOutcome failure;
    const std::optional<DbRow> row =
        readBatchScheme(grid, batchPath, SchemeTable::Standard, ResultTable::Standard, out, failure);
    if (!row) return failure;
    out.scheme_gangdu_max = row->toDouble(QStringLiteral("scheme_gangdu_max"));
    out.scheme_gangdu_min = row->toDouble(QStringLiteral("scheme_gangdu_min"));
    out.scheme_type = row->toBool(QStringLiteral("scheme_type"));
    out.scheme_yb = row->toBool(QStringLiteral("scheme_yb"));
    layOutResultGrid(*grid, out, {30, 60, 60, 60, 50, 50}, {kMeasuredValueName, kStiffnessName});

    const StandardTestKind kind = out.scheme_type                ? StandardTestKind::Compression
                                  : sequencer.machineType() == 6 ? StandardTestKind::TensionType6
                                                                 : StandardTestKind::Tension;
    sequencer.InstallProcedure(std::make_shared<StandardTest>(sequencer, kind));
    return {true, {}};
}

TTestStyle::StoreOutcome storeStandardTest(const FinishedTest& test) {
    const ttest_info& scheme = test.scheme;
    const ResultArray& results = test.results;
    const QString date = storedTestDate(QDateTime::currentDateTime());
    return storeInBatch(test, ResultTable::Standard, [&](Database& db, int serial) {
        for (int stroke = 1; stroke <= std::clamp(scheme.scheme_jh, 1, 2); ++stroke) {
            QVariantMap row = strokeResultRow(test, serial, stroke);
            row.insert(QStringLiteral("height"), heightText(results.height(), test.format));
            if (scheme.scheme_yb)
                row.insert(QStringLiteral("yb_height"), heightText(results.solidHeight(), test.format));
            row.insert(QStringLiteral("date"), date);
            if (!db.insertRow(QStringLiteral("test_result"), row)) return false;
        }
        return true;
    });
}

void installStandardStorage(TTestStyle& sequencer) {
    sequencer.setSchemeLoader(&loadStandardBatch);
    sequencer.setTestStorer(&storeStandardTest);
}

}  // namespace springtest
