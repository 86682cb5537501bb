#include "sequencer/procedures/StandardStorage.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/StandardTest.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/SchemeCheck.h"

#include <QDateTime>
#include <QLocale>

namespace springtest {

namespace {

const QString kReadError = QStringLiteral("读取文件错误!!");

QString textOf(int decimals, float value) {
    return ResultArray::isEmpty(value) ? QString() : FormatByDecimals(decimals, value);
}

}  // namespace

QString schemeNumberText(double value) {
    return QString::number(value, 'g', 15);
}

TTestStyle::LoadOutcome loadStandardBatch(TTestStyle& sequencer, ResultGrid* grid, const QString& batchPath,
                                          ttest_info& out) {
    if (!grid || batchPath.isEmpty()) return {false, QStringLiteral("参数错误！！")};
    Database db(batchPath);
    if (!db.isOpen()) return {false, kReadError};
    const std::optional<int> serial = nextSerial(db, ResultTable::Standard);
    if (!serial) return {false, kReadError};
    out.xuhao = *serial;
    const auto rows = db.select(QStringLiteral("select * from test_information"));
    if (!rows) return {false, kReadError};
    if (rows->isEmpty()) return {false, QStringLiteral("当前无试验方案")};

    const DbRow& row = rows->first();
    out.scheme_style = row.toInt(QStringLiteral("scheme_style"));
    out.scheme_jh = row.toInt(QStringLiteral("scheme_jh"), 1);
    out.scheme_load = row.toDouble(QStringLiteral("scheme_load"));
    out.scheme_sum = std::clamp(row.toInt(QStringLiteral("scheme_sum")), 0, kMaxPoints);
    out.scheme_gangdu_max = row.toDouble(QStringLiteral("scheme_gangdu_max"));
    out.scheme_gangdu_min = row.toDouble(QStringLiteral("scheme_gangdu_min"));
    out.scheme_type = row.toBool(QStringLiteral("scheme_type"));
    out.scheme_yb = row.toBool(QStringLiteral("scheme_yb"));
    out.connection = batchPath;

    grid->setColumnWidths({30, 60, 60, 60, 50, 50});
    QStringList headers = pointTableHeaders(out.scheme_style);
    if (headers.isEmpty()) headers = QStringList(4, QString());
    headers << QStringLiteral("实测值") << QStringLiteral("刚度");
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

TTestStyle::StoreOutcome storeStandardTest(TTestStyle& sequencer, const ttest_info& scheme,
                                           const ResultArray& results, const ttest_chart& curve) {
    const CardSlot& slot = sequencer.cards().cards[static_cast<size_t>(sequencer.cardIndex())];
    const int loadDecimals = slot.load ? slot.load->decimals() : 3;
    const int dispDecimals = slot.displacement ? slot.displacement->decimals() : 3;
    const bool kN = slot.load && slot.load->Units() == QLatin1String("kN");
    const int valueDecimals = scheme.scheme_style <= 1 ? loadDecimals : dispDecimals;

    Database db(scheme.connection);
    if (!db.isOpen()) return {false, db.lastError()};
    Transaction tx(db);
    if (!tx.isActive()) return {false, db.lastError()};

    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const QString date = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                         locale.toString(now.time(), QLocale::LongFormat);

    for (int stroke = 1; stroke <= std::clamp(scheme.scheme_jh, 1, 2); ++stroke) {
        QVariantMap row;
        row.insert(QStringLiteral("xuhao"), scheme.xuhao);
        row.insert(QStringLiteral("jinhuicheng"), stroke == 1 ? QStringLiteral("进") : QStringLiteral("回"));
        for (int k = 1; k <= scheme.scheme_sum; ++k) {
            row.insert(QStringLiteral("result") + QString::number(k),
                       textOf(valueDecimals, results.value(stroke, k)));
            float stiffness = results.stiffness(stroke, k);
            if (kN) stiffness *= 1000.0f;
            row.insert(QStringLiteral("gangdu") + QString::number(k), textOf(2, stiffness));
        }
        row.insert(QStringLiteral("height"), textOf(dispDecimals, results.height()));
        if (scheme.scheme_yb)
            row.insert(QStringLiteral("yb_height"), textOf(dispDecimals, results.solidHeight()));
        row.insert(QStringLiteral("date"), date);
        if (!db.insertRow(QStringLiteral("test_result"), row)) return {false, db.lastError()};
    }
    for (int i = 0; i < curve.count; ++i) {
        QVariantMap point;
        point.insert(QStringLiteral("xuhao"), scheme.xuhao);
        point.insert(QStringLiteral("load"), curve.load.value(i));
        point.insert(QStringLiteral("weiyi"), curve.displacement.value(i));
        point.insert(QStringLiteral("bianxing"), curve.deformation.value(i));
        point.insert(QStringLiteral("jinhuicheng"), curve.stroke.value(i));
        point.insert(QStringLiteral("number"), i + 1);
        if (!db.insertRow(QStringLiteral("test_point"), point)) return {false, db.lastError()};
    }
    if (!tx.commit()) return {false, db.lastError()};
    return {true, {}};
}

void installStandardStorage(TTestStyle& sequencer) {
    sequencer.setSchemeLoader(&loadStandardBatch);
    sequencer.setTestStorer([&sequencer](const ttest_info& s, const ResultArray& r, const ttest_chart& c) {
        return storeStandardTest(sequencer, s, r, c);
    });
}

}  // namespace springtest
