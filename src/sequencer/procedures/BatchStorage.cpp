#include "sequencer/procedures/BatchStorage.h"

#include "platform/OperatorTexts.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/StandardStorage.h"
#include "storage/FullRateCurve.h"
#include "storage/Schema.h"
#include "storage/SchemeCheck.h"
#include "storage/TestOperator.h"

#include <algorithm>

namespace springtest {

std::optional<DbRow> readBatchScheme(ResultGrid* grid, const QString& batchPath, SchemeTable schemeTable,
                                     ResultTable resultTable, ttest_info& out,
                                     TTestStyle::LoadOutcome& failure) {
    const auto fail = [&failure](const QString& message) {
        failure = {false, message};
        return std::nullopt;
    };
    if (!grid || batchPath.isEmpty()) return fail(QStringLiteral("参数错误！！"));
    Database db(batchPath);
    if (!db.isOpen()) return fail(withReason(kReadingFileFailed, db.lastError()));
    // A batch from an older template gets the index that refuses a second row of one test (and stroke).
    ensureBatchIndexes(db);
    QString serialError;
    const std::optional<int> serial = nextSerial(db, resultTable, serialError);
    if (!serial) return fail(serialError);
    out.xuhao = *serial;
    const auto rows = db.select(QStringLiteral("select * from %1").arg(schemeTableName(schemeTable)));
    if (!rows) return fail(withReason(kReadingFileFailed, db.lastError()));
    if (rows->isEmpty()) return fail(QStringLiteral("当前无试验方案"));

    const DbRow& row = rows->first();
    // A style no scheme can have would capture no point; such a batch is not opened for testing.
    const std::optional<SchemeStyle> style = schemeStyleFromColumn(row.toInt(QStringLiteral("scheme_style")));
    if (!style) return fail(kReadingFileFailed);
    out.scheme_style = *style;
    out.scheme_jh = row.toInt(QStringLiteral("scheme_jh"), 1);
    out.scheme_load = row.toDouble(QStringLiteral("scheme_load"));
    out.scheme_sum = std::clamp(row.toInt(QStringLiteral("scheme_sum")), 0, kMaxPoints);
    out.connection = batchPath;
    out.points.resize(out.scheme_sum);
    out.upper.resize(out.scheme_sum);
    out.lower.resize(out.scheme_sum);
    for (int k = 1; k <= out.scheme_sum; ++k) {
        out.points[k - 1] = row.toDouble(schemePointColumn(k));
        out.upper[k - 1] = row.toDouble(schemePointMaxColumn(k));
        out.lower[k - 1] = row.toDouble(schemePointMinColumn(k));
    }
    return row;
}

void layOutResultGrid(ResultGrid& grid, const ttest_info& scheme, const QList<int>& columnWidths,
                      const QStringList& resultHeaders) {
    grid.setColumnWidths(columnWidths);
    const QStringList headers = pointTableHeaders(static_cast<int>(scheme.scheme_style)) + resultHeaders;
    grid.setRowCount(scheme.scheme_sum + 1);
    for (int c = 0; c < headers.size(); ++c) grid.setCell(0, c, headers[c]);
    for (int k = 1; k <= scheme.scheme_sum; ++k) {
        grid.setCell(k, 0, QString::number(k));
        grid.setCell(k, 1, schemeNumberText(scheme.points[k - 1]));
        grid.setCell(k, 2, schemeNumberText(scheme.upper[k - 1]));
        grid.setCell(k, 3, schemeNumberText(scheme.lower[k - 1]));
    }
}

TTestStyle::StoreOutcome storeInBatch(const FinishedTest& test, ResultTable resultTable,
                                      const std::function<bool(Database&, int serial)>& writeResults) {
    const ttest_info& scheme = test.scheme;
    const ttest_chart& curve = test.curve;

    Database db(scheme.connection);
    if (!db.isOpen()) return {false, db.lastError()};
    Transaction tx(db);
    if (!tx.isActive()) return {false, db.lastError()};
    // Numbered inside the transaction that stores it: whatever went into the batch since the sequencer
    // numbered this test (a test another program stored, tests the browser deleted), the test goes above
    // every serial in the file, under its own number when that is still above them.
    QString serialError;
    const std::optional<int> next = nextSerial(db, resultTable, serialError);
    if (!next) return {false, serialError};
    const int serial = std::max(scheme.xuhao, *next);

    if (!writeResults(db, serial)) return {false, db.lastError()};
    for (int i = 0; i < curve.count; ++i) {
        QVariantMap point;
        point.insert(QStringLiteral("xuhao"), serial);
        point.insert(QStringLiteral("load"), curve.load.value(i));
        point.insert(QStringLiteral("weiyi"), curve.displacement.value(i));
        point.insert(QStringLiteral("bianxing"), curve.deformation.value(i));
        point.insert(QStringLiteral("jinhuicheng"), curve.stroke.value(i));
        point.insert(QStringLiteral("number"), i + 1);
        // The lateral machine's axial test follows its spring's top sideways; other curves have no path.
        if (i < curve.x.size()) point.insert(QStringLiteral("X"), curve.x.value(i));
        if (i < curve.y.size()) point.insert(QStringLiteral("Y"), curve.y.value(i));
        if (!db.insertRow(QStringLiteral("test_point"), point)) return {false, db.lastError()};
    }
    if (!storeTestOperator(db, serial, test.operatorName)) return {false, db.lastError()};
    if (!test.fullRate.empty() && !storeFullRateCurve(db, serial, test.fullRate))
        return {false, db.lastError()};
    if (!tx.commit()) return {false, db.lastError()};
    return {true, {}, serial};
}

}  // namespace springtest
