#include "sequencer/procedures/LeafSpringStorage.h"

#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/BatchStorage.h"
#include "sequencer/procedures/LeafSpringTest.h"
#include "sequencer/procedures/StandardStorage.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/SchemeCheck.h"
#include "storage/TestOperator.h"

#include <QDateTime>

namespace springtest {

namespace {

const QString kVerdictColumnName = QStringLiteral("结论");

QString strokePointColumn(const char* name, int stroke, int k) {
    return QStringLiteral("%1%2-%3").arg(QLatin1String(name)).arg(stroke).arg(k);
}

}  // namespace

TTestStyle::LoadOutcome loadLeafSpringBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                            ttest_info& out) {
    TTestStyle::LoadOutcome failure;
    const std::optional<DbRow> row =
        readBatchScheme(grid, batchPath, SchemeTable::LeafSpring, ResultTable::LeafSpring, out, failure);
    if (!row) return failure;
    out.scheme_height = row->toDouble(QStringLiteral("scheme_height"));
    out.scheme_SDload = row->toDouble(QStringLiteral("scheme_SDload"));
    out.scheme_th_height = row->toDouble(QStringLiteral("scheme_th_height"));
    out.scheme_xc_height = row->toDouble(QStringLiteral("scheme_xc_height"));
    out.scheme_yyLOAD = row->toDouble(QStringLiteral("scheme_yyLOAD"));
    out.scheme_returnLOAD = row->toDouble(QStringLiteral("scheme_returnLOAD"));
    out.scheme_type = true;  // a leaf spring is pressed
    layOutResultGrid(*grid, out, {30, 60, 60, 60, 80, 35}, {kMeasuredValueName, kVerdictColumnName});

    sequencer.InstallProcedure(std::make_shared<LeafSpringTest>(sequencer));
    return {true, {}};
}

TTestStyle::StoreOutcome storeLeafSpringTest(const FinishedTest& test) {
    const ttest_info& scheme = test.scheme;
    const ResultArray& results = test.results;
    return storeInBatch(test, ResultTable::LeafSpring, [&](Database& db, int serial) {
        QVariantMap row;
        row.insert(QStringLiteral("xuhao"), serial);
        row.insert(QStringLiteral("jinhuicheng"), QStringLiteral("0"));
        // Only what the test measured: the return stroke when the scheme measures it, the static-load arc
        // heights with scheme style 3. Every other column stays empty.
        const int strokes = scheme.scheme_jh == 2 ? 2 : 1;
        const bool staticArcHeights = scheme.scheme_style == SchemeStyle::LoadDeformation;
        for (int stroke = 1; stroke <= strokes; ++stroke) {
            for (int k = 1; k <= scheme.scheme_sum; ++k) {
                const PointReadout point = readPoint(results, scheme, stroke, k, test.format);
                row.insert(strokePointColumn("result", stroke, k), point.value);
                if (staticArcHeights) {
                    row.insert(strokePointColumn("jingzai_height", stroke, k),
                               heightText(results[LeafResultIndex::staticArcHeight(stroke, k)], test.format));
                }
                if (stroke == 2) row.insert(QStringLiteral("gangdu") + QString::number(k), point.stiffness);
            }
        }
        row.insert(QStringLiteral("ziyou_height"),
                   heightText(results[LeafResultIndex::freeArcHeight], test.format));
        row.insert(QStringLiteral("yahou_height"),
                   heightText(results[LeafResultIndex::pressedArcHeight], test.format));
        row.insert(QStringLiteral("SD_HEIGHT"),
                   heightText(results[LeafResultIndex::setLoadArcHeight], test.format));
        row.insert(QStringLiteral("height"), heightText(results.height(), test.format));
        row.insert(QStringLiteral("date"), storedTestDate(QDateTime::currentDateTime()));
        return db.insertRow(QStringLiteral("gbth_result"), row);
    });
}

void installLeafSpringStorage(TTestStyle& sequencer) {
    sequencer.setSchemeLoader(&loadLeafSpringBatch);
    sequencer.setTestStorer(&storeLeafSpringTest);
}

}  // namespace springtest
