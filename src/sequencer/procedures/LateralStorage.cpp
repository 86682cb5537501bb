#include "sequencer/procedures/LateralStorage.h"

#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/BatchStorage.h"
#include "sequencer/procedures/LateralTest.h"
#include "sequencer/procedures/StandardStorage.h"
#include "sequencer/procedures/StandardTest.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/TestOffsetAngle.h"

#include <QDateTime>

#include <algorithm>

namespace springtest {

TTestStyle::LoadOutcome loadLateralBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                         ttest_info& out) {
    TTestStyle::LoadOutcome failure;
    const std::optional<DbRow> row =
        readBatchScheme(grid, batchPath, SchemeTable::Standard, ResultTable::Standard, out, failure);
    if (!row) return failure;
    out.scheme_height = row->toDouble(QStringLiteral("scheme_height"));
    out.scheme_gangdu_max = row->toDouble(QStringLiteral("scheme_gangdu_max"));
    out.scheme_gangdu_min = row->toDouble(QStringLiteral("scheme_gangdu_min"));
    out.scheme_type = row->toBool(QStringLiteral("scheme_type"));
    out.scheme_yb = false;  // neither kind searches the solid height

    if (out.scheme_type) {
        layOutResultGrid(*grid, out, {30, 60, 60, 60, 50, 50, 50, 50, 50},
                         {kMeasuredValueName, kStiffnessName, QStringLiteral("X值"), QStringLiteral("Y值"),
                          QStringLiteral("偏移量")});
        sequencer.InstallProcedure(std::make_shared<StandardTest>(sequencer, StandardTestKind::Axial));
    } else {
        layOutResultGrid(*grid, out, {30, 60, 60, 60, 50, 50}, {kMeasuredValueName, kStiffnessName});
        sequencer.InstallProcedure(std::make_shared<LateralTest>(sequencer));
    }
    return {true, {}};
}

TTestStyle::StoreOutcome storeLateralTest(const FinishedTest& test) {
    const ttest_info& scheme = test.scheme;
    const ResultArray& results = test.results;
    const QString date = storedTestDate(QDateTime::currentDateTime());
    return storeInBatch(test, ResultTable::Standard, [&](Database& db, int serial) {
        for (int stroke = 1; stroke <= std::clamp(scheme.scheme_jh, 1, 2); ++stroke) {
            QVariantMap row = strokeResultRow(test, serial, stroke);
            for (int k = 1; scheme.scheme_type && k <= scheme.scheme_sum; ++k) {
                const QString n = QString::number(k);
                // The offset is the Y sensor's measure as much as the X sensor's: written as finely as Y.
                row.insert(QStringLiteral("x_value") + n,
                           resultText(test.xDecimals, results[LateralResultIndex::x(k)]));
                row.insert(QStringLiteral("y_value") + n,
                           resultText(test.yDecimals, results[LateralResultIndex::y(k)]));
                row.insert(QStringLiteral("pianyi_value") + n,
                           resultText(test.yDecimals, results[LateralResultIndex::offset(k)]));
            }
            row.insert(QStringLiteral("height"), resultText(test.xDecimals, results.height()));
            row.insert(QStringLiteral("date"), date);
            if (!db.insertRow(QStringLiteral("test_result"), row)) return false;
        }
        // The angle belongs to the test, not to a stroke: one row, written once with the test's own rows.
        if (scheme.scheme_type &&
            !storeTestOffsetAngle(db, serial, resultText(test.yDecimals, results[LateralResultIndex::angle])))
            return false;
        return true;
    });
}

void installLateralStorage(TTestStyle& sequencer) {
    sequencer.setSchemeLoader(&loadLateralBatch);
    sequencer.setTestStorer(&storeLateralTest);
}

}  // namespace springtest
