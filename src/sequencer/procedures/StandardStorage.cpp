#include "sequencer/procedures/StandardStorage.h"

#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/ResultGrid.h"
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

TTestStyle::LoadOutcome loadStandardBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                          ttest_info& out) {
    if (!grid || batchPath.isEmpty()) return {false, QStringLiteral("参数错误！！")};
    Database db(batchPath);
    if (!db.isOpen()) return {false, withReason(kReadingFileFailed, db.lastError())};
    // A batch from an older template gets the index that refuses a second row of one test and stroke.
    ensureBatchIndexes(db);
    QString serialError;
    const std::optional<int> serial = nextSerial(db, ResultTable::Standard, serialError);
    if (!serial) return {false, serialError};
    out.xuhao = *serial;
    const auto rows = db.select(QStringLiteral("select * from test_information"));
    if (!rows) return {false, kReadingFileFailed};
    if (rows->isEmpty()) return {false, QStringLiteral("当前无试验方案")};

    const DbRow& row = rows->first();
    // A style no scheme can have would capture no point; such a batch is not opened for testing.
    const std::optional<SchemeStyle> style = schemeStyleFromColumn(row.toInt(QStringLiteral("scheme_style")));
    if (!style) return {false, kReadingFileFailed};
    out.scheme_style = *style;
    out.scheme_jh = row.toInt(QStringLiteral("scheme_jh"), 1);
    out.scheme_load = row.toDouble(QStringLiteral("scheme_load"));
    out.scheme_sum = std::clamp(row.toInt(QStringLiteral("scheme_sum")), 0, kMaxPoints);
    out.scheme_gangdu_max = row.toDouble(QStringLiteral("scheme_gangdu_max"));
    out.scheme_gangdu_min = row.toDouble(QStringLiteral("scheme_gangdu_min"));
    out.scheme_type = row.toBool(QStringLiteral("scheme_type"));
    out.scheme_yb = row.toBool(QStringLiteral("scheme_yb"));
    out.connection = batchPath;

    grid->setColumnWidths({30, 60, 60, 60, 50, 50});
    QStringList headers = pointTableHeaders(static_cast<int>(out.scheme_style));
    headers << kMeasuredValueName << kStiffnessName;
    grid->setRowCount(out.scheme_sum + 1);
    for (int c = 0; c < headers.size(); ++c) grid->setCell(0, c, headers[c]);

    out.points.resize(out.scheme_sum);
    out.upper.resize(out.scheme_sum);
    out.lower.resize(out.scheme_sum);
    for (int k = 1; k <= out.scheme_sum; ++k) {
        const QString base = QStringLiteral("schemedata") + QString::number(k);
        out.points[k - 1] = row.toDouble(base);
        out.upper[k - 1] = row.toDouble(base + QStringLiteral("_max"));
        out.lower[k - 1] = row.toDouble(base + QStringLiteral("_min"));
        grid->setCell(k, 0, QString::number(k));
        grid->setCell(k, 1, schemeNumberText(out.points[k - 1]));
        grid->setCell(k, 2, schemeNumberText(out.upper[k - 1]));
        grid->setCell(k, 3, schemeNumberText(out.lower[k - 1]));
    }

    const StandardTestKind kind = out.scheme_type                ? StandardTestKind::Compression
                                  : sequencer.machineType() == 6 ? StandardTestKind::TensionType6
                                                                 : StandardTestKind::Tension;
    sequencer.InstallProcedure(std::make_shared<StandardTest>(sequencer, kind));
    return {true, {}};
}

TTestStyle::StoreOutcome storeStandardTest(const FinishedTest& test) {
    const ttest_info& scheme = test.scheme;
    const ResultArray& results = test.results;
    const ttest_chart& curve = test.curve;

    Database db(scheme.connection);
    if (!db.isOpen()) return {false, db.lastError()};
    Transaction tx(db);
    if (!tx.isActive()) return {false, db.lastError()};
    // Numbered inside the transaction that stores it: whatever went into the batch since the sequencer
    // numbered this test (a test another program stored, tests the browser deleted), the test goes above
    // every serial in the file, under its own number when that is still above them.
    QString serialError;
    const std::optional<int> next = nextSerial(db, ResultTable::Standard, serialError);
    if (!next) return {false, serialError};
    const int serial = std::max(scheme.xuhao, *next);

    const QString date = storedTestDate(QDateTime::currentDateTime());

    for (int stroke = 1; stroke <= std::clamp(scheme.scheme_jh, 1, 2); ++stroke) {
        QVariantMap row;
        row.insert(QStringLiteral("xuhao"), serial);
        row.insert(QStringLiteral("jinhuicheng"), stroke == 1 ? QStringLiteral("进") : QStringLiteral("回"));
        for (int k = 1; k <= scheme.scheme_sum; ++k) {
            const PointReadout point = readPoint(results, scheme, stroke, k, test.format);
            row.insert(QStringLiteral("result") + QString::number(k), point.value);
            row.insert(QStringLiteral("gangdu") + QString::number(k), point.stiffness);
        }
        row.insert(QStringLiteral("height"), heightText(results.height(), test.format));
        if (scheme.scheme_yb)
            row.insert(QStringLiteral("yb_height"), heightText(results.solidHeight(), test.format));
        row.insert(QStringLiteral("date"), date);
        if (!db.insertRow(QStringLiteral("test_result"), row)) return {false, db.lastError()};
    }
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

void installStandardStorage(TTestStyle& sequencer) {
    sequencer.setSchemeLoader(&loadStandardBatch);
    sequencer.setTestStorer(&storeStandardTest);
}

}  // namespace springtest
