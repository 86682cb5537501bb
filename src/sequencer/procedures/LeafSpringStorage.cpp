#include "sequencer/procedures/LeafSpringStorage.h"

#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/ResultGrid.h"
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
    if (!grid || batchPath.isEmpty()) return {false, QStringLiteral("参数错误！！")};
    Database db(batchPath);
    if (!db.isOpen()) return {false, withReason(kReadingFileFailed, db.lastError())};
    // A batch from an older template gets the index that refuses a second row of one test.
    ensureBatchIndexes(db);
    QString serialError;
    const std::optional<int> serial = nextSerial(db, ResultTable::LeafSpring, serialError);
    if (!serial) return {false, serialError};
    out.xuhao = *serial;
    const auto rows = db.select(QStringLiteral("select * from GBTH_information"));
    if (!rows) return {false, withReason(kReadingFileFailed, db.lastError())};
    if (rows->isEmpty()) return {false, QStringLiteral("当前无试验方案")};

    const DbRow& row = rows->first();
    // A style no scheme can have would capture no point; such a batch is not opened for testing.
    const std::optional<SchemeStyle> style = schemeStyleFromColumn(row.toInt(QStringLiteral("scheme_style")));
    if (!style) return {false, kReadingFileFailed};
    out.scheme_style = *style;
    out.scheme_jh = row.toInt(QStringLiteral("scheme_jh"), 1);
    out.scheme_height = row.toDouble(QStringLiteral("scheme_height"));
    out.scheme_load = row.toDouble(QStringLiteral("scheme_load"));
    out.scheme_sum = std::clamp(row.toInt(QStringLiteral("scheme_sum")), 0, kMaxPoints);
    out.scheme_SDload = row.toDouble(QStringLiteral("scheme_SDload"));
    out.scheme_th_height = row.toDouble(QStringLiteral("scheme_th_height"));
    out.scheme_xc_height = row.toDouble(QStringLiteral("scheme_xc_height"));
    out.scheme_yyLOAD = row.toDouble(QStringLiteral("scheme_yyLOAD"));
    out.scheme_returnLOAD = row.toDouble(QStringLiteral("scheme_returnLOAD"));
    out.scheme_type = true;  // a leaf spring is pressed
    out.connection = batchPath;

    grid->setColumnWidths({30, 60, 60, 60, 80, 35});
    QStringList headers = pointTableHeaders(static_cast<int>(out.scheme_style));
    headers << kMeasuredValueName << kVerdictColumnName;
    grid->setRowCount(out.scheme_sum + 1);
    for (int c = 0; c < headers.size(); ++c) grid->setCell(0, c, headers[c]);

    out.points.resize(out.scheme_sum);
    out.upper.resize(out.scheme_sum);
    out.lower.resize(out.scheme_sum);
    for (int k = 1; k <= out.scheme_sum; ++k) {
        out.points[k - 1] = row.toDouble(schemePointColumn(k));
        out.upper[k - 1] = row.toDouble(schemePointMaxColumn(k));
        out.lower[k - 1] = row.toDouble(schemePointMinColumn(k));
        grid->setCell(k, 0, QString::number(k));
        grid->setCell(k, 1, schemeNumberText(out.points[k - 1]));
        grid->setCell(k, 2, schemeNumberText(out.upper[k - 1]));
        grid->setCell(k, 3, schemeNumberText(out.lower[k - 1]));
    }

    sequencer.InstallProcedure(std::make_shared<LeafSpringTest>(sequencer));
    return {true, {}};
}

TTestStyle::StoreOutcome storeLeafSpringTest(const FinishedTest& test) {
    const ttest_info& scheme = test.scheme;
    const ResultArray& results = test.results;
    const ttest_chart& curve = test.curve;

    Database db(scheme.connection);
    if (!db.isOpen()) return {false, db.lastError()};
    Transaction tx(db);
    if (!tx.isActive()) return {false, db.lastError()};
    // Numbered inside the transaction that stores it, above every serial already in the file.
    QString serialError;
    const std::optional<int> next = nextSerial(db, ResultTable::LeafSpring, serialError);
    if (!next) return {false, serialError};
    const int serial = std::max(scheme.xuhao, *next);

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
    if (!db.insertRow(QStringLiteral("gbth_result"), row)) return {false, db.lastError()};

    for (int i = 0; i < curve.count; ++i) {
        QVariantMap point;
        point.insert(QStringLiteral("xuhao"), serial);
        point.insert(QStringLiteral("load"), curve.load.value(i));
        point.insert(QStringLiteral("weiyi"), curve.displacement.value(i));
        point.insert(QStringLiteral("bianxing"), curve.deformation.value(i));
        point.insert(QStringLiteral("jinhuicheng"), curve.stroke.value(i));
        point.insert(QStringLiteral("number"), i + 1);
        if (!db.insertRow(QStringLiteral("test_point"), point)) return {false, db.lastError()};
    }
    if (!storeTestOperator(db, serial, test.operatorName)) return {false, db.lastError()};
    if (!tx.commit()) return {false, db.lastError()};
    return {true, {}, serial};
}

void installLeafSpringStorage(TTestStyle& sequencer) {
    sequencer.setSchemeLoader(&loadLeafSpringBatch);
    sequencer.setTestStorer(&storeLeafSpringTest);
}

}  // namespace springtest
