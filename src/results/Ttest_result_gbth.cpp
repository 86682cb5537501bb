#include "results/Ttest_result_gbth.h"

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "results/LeafTestRecord.h"
#include "results/Ttest_result.h"
#include "storage/FullRateCurve.h"
#include "storage/Schema.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

const QString kNoResults = QStringLiteral("无测试记录！！");

struct GridColumns {
    QStringList fields;
    QStringList titles;
    QList<bool> hidden;
    void add(const QString& field, const QString& title, bool hide = false) {
        fields << field;
        titles << title;
        hidden << hide;
    }
};

GridColumns makeResultColumns() {
    GridColumns c;
    c.add(QStringLiteral("xuhao"), QStringLiteral("序号"));
    c.add(QStringLiteral("jinhuicheng"), QStringLiteral("进回程"), true);
    for (int k = 1; k <= 10; ++k)
        c.add(QStringLiteral("result1-%1").arg(k), QStringLiteral("进程测试值%1").arg(k));
    for (int k = 1; k <= 10; ++k)
        c.add(QStringLiteral("result2-%1").arg(k), QStringLiteral("回程测试值%1").arg(k));
    for (int k = 1; k <= 10; ++k)
        c.add(QStringLiteral("jingzai_height1-%1").arg(k), QStringLiteral("进程静载孤高%1").arg(k), true);
    for (int k = 1; k <= 10; ++k)
        c.add(QStringLiteral("jingzai_height2-%1").arg(k), QStringLiteral("回程静载孤高%1").arg(k), true);
    c.add(QStringLiteral("gangdu1"), kStiffnessName);
    for (int k = 2; k <= 10; ++k)
        c.add(QStringLiteral("gangdu%1").arg(k), kStiffnessName + QString::number(k));
    c.add(QStringLiteral("ziyou_height"), QStringLiteral("自由弧高"));
    c.add(QStringLiteral("yahou_height"), QStringLiteral("压后弧高"));
    c.add(QStringLiteral("SD_HEIGHT"), QStringLiteral("设定孤高"));
    c.add(QStringLiteral("height"), QStringLiteral("弹簧高度"));
    c.add(QStringLiteral("date"), QStringLiteral("      测试日期      "));
    return c;
}

GridColumns makeSchemeColumns() {
    GridColumns c;
    c.add(QStringLiteral("scheme_name"), QStringLiteral("方案名"));
    c.add(QStringLiteral("scheme_style"), QStringLiteral("试验类型"));
    c.add(QStringLiteral("scheme_jh"), QStringLiteral("进回程"), true);
    c.add(QStringLiteral("scheme_height"), QStringLiteral("返回高度"));
    c.add(QStringLiteral("scheme_load"), QStringLiteral("初始力"));
    c.add(QStringLiteral("scheme_sum"), QStringLiteral("测试点数"));
    for (int k = 1; k <= 10; ++k) {
        const QString field = QStringLiteral("schemedata%1").arg(k);
        const QString title = QStringLiteral("测试点%1").arg(k);
        c.add(field, title);
        c.add(field + QStringLiteral("_max"), title + QStringLiteral("上限"));
        c.add(field + QStringLiteral("_min"), title + QStringLiteral("下限"));
    }
    c.add(QStringLiteral("scheme_sdload"), QStringLiteral("设定负荷"));
    c.add(QStringLiteral("scheme_th_height"), QStringLiteral("弹簧厚度"));
    c.add(QStringLiteral("scheme_xc_height"), QStringLiteral("小车高度"));
    c.add(QStringLiteral("scheme_xbbj"), QStringLiteral("芯棒半径"));
    c.add(QStringLiteral("scheme_yyload"), QStringLiteral("预压负荷"));
    c.add(QStringLiteral("scheme_yzload"), QStringLiteral("验证负荷"));
    return c;
}

const GridColumns& resultColumns() {
    static const GridColumns c = makeResultColumns();
    return c;
}

const GridColumns& schemeColumns() {
    static const GridColumns c = makeSchemeColumns();
    return c;
}

double round3(double v) {
    return std::round(v * 1000) / 1000;
}

}  // namespace

QString leafMarkerLabel(double x, double y) {
    const QString secant = x == 0 ? QStringLiteral("/") : QString::number(std::llround(y / x * 1000));
    return QStringLiteral(" X: ") + shortestText(x, 2) + QStringLiteral(" ;Y: ") + shortestText(y, 2) +
           QStringLiteral("   ;S:  ") + secant;
}

const QStringList& Ttest_result_gbth::resultFields() {
    return resultColumns().fields;
}
const QStringList& Ttest_result_gbth::resultTitles() {
    return resultColumns().titles;
}
bool Ttest_result_gbth::resultColumnHidden(int column) {
    return column >= 0 && column < resultColumns().hidden.size() && resultColumns().hidden[column];
}
const QStringList& Ttest_result_gbth::schemeFields() {
    return schemeColumns().fields;
}
const QStringList& Ttest_result_gbth::schemeTitles() {
    return schemeColumns().titles;
}
bool Ttest_result_gbth::schemeColumnHidden(int column) {
    return column >= 0 && column < schemeColumns().hidden.size() && schemeColumns().hidden[column];
}

Ttest_result_gbth::Ttest_result_gbth(const QString& path) : BrowsedBatch(path) {}

Ttest_result_gbth::OpenOutcome Ttest_result_gbth::open(const QString& batchPath) {
    if (!QFileInfo(batchPath).isFile()) return {nullptr, kFileMissing};
    std::unique_ptr<Ttest_result_gbth> r(new Ttest_result_gbth(batchPath));
    if (!r->m_db.isOpen() || !r->reload()) return {nullptr, withReason(kFileReadError, r->m_db.lastError())};
    if (r->m_results.isEmpty()) return {nullptr, QStringLiteral("该方案无测试记录!!")};
    ensureBatchIndexes(r->m_db);
    return {std::move(r), QString()};
}

bool Ttest_result_gbth::reload() {
    const auto results = m_db.select(QStringLiteral("select * from gbth_result order by rowid"));
    const auto scheme = m_db.select(QStringLiteral("select * from GBTH_information order by rowid"));
    if (!results || !scheme) return false;
    m_results = *results;
    m_scheme = *scheme;
    if (!m_scheme.isEmpty()) {
        m_style = m_scheme.first().toInt(QStringLiteral("scheme_style"));
        m_testPoints = m_scheme.first().toInt(QStringLiteral("scheme_sum"));
    }
    return true;
}

QString Ttest_result_gbth::resultText(int row, int column) const {
    return cellText(m_results, resultFields(), row, column);
}

QString Ttest_result_gbth::schemeText(int row, int column) const {
    return cellText(m_scheme, schemeFields(), row, column);
}

QString Ttest_result_gbth::ShowCurve(int row) {
    if (row < 0 || row >= m_results.size()) return {};
    if (!readCurve(m_results[row].toInt(QStringLiteral("xuhao"))))
        return QStringLiteral("当前序号无曲线数据!!");
    DrawCurve(m_style);
    m_replayedRow = row;
    return {};
}

void Ttest_result_gbth::DrawCurve(int style) {
    ChartSeriesData& curve = m_chart.series[ResultChart::Curve];
    curve.visible = true;
    curve.clear();
    m_largestX = 0;
    m_smallestX = 0;
    m_largestLoad = 0;
    for (int i = 0; i < m_loads.size(); ++i) {
        if (style == 1 || style == 3) {
            curve.add(QPointF(m_deformations[i], m_loads[i]));
            m_largestX = std::max(m_largestX, m_deformations[i]);
        } else if (style == 0 || style == 2) {
            curve.add(QPointF(m_displacements[i], m_loads[i]));
            m_largestX = std::max(m_largestX, m_displacements[i]);
            // The crosshead ends where it started: the last sample is the lowest displacement of a cycle.
            m_smallestX = m_displacements[i];
        }
        m_largestLoad = std::max(m_largestLoad, m_loads[i]);
    }
    m_chart.left = {0, 1.1 * m_largestLoad, 0};
    m_chart.left.restep();
    m_chart.bottom = {0.9 * m_smallestX, 1.1 * m_largestX, 0};
    m_chart.bottom.restep();
}

void Ttest_result_gbth::ToggleTraversal() {
    if (m_traversalShown) {
        m_traversing = false;
        m_traversalShown = false;
    } else {
        m_traversing = m_chart.series[ResultChart::Curve].visible;
        m_traversalShown = true;
    }
    m_chart.series[ResultChart::Traversal].visible = m_traversalShown;
    m_chart.series[ResultChart::Picked].visible = m_traversalShown;
}

void Ttest_result_gbth::TrackCursor(int style, double x, double y) {
    if (!m_traversing || style < 0 || style > 3) return;
    const double X = round3(x);
    const double Y = round3(y);
    const bool deformation = style == 1 || style == 3;
    for (int i = 0; i < m_loads.size(); ++i) {
        const double sx = deformation ? m_deformations[i] : m_displacements[i];
        const bool match =
            deformation ? (sx >= X && m_loads[i] < Y) : (sx <= X && sx >= m_smallestX && m_loads[i] < Y);
        if (!match) continue;
        ChartSeriesData& marker = m_chart.series[ResultChart::Traversal];
        marker.clear();
        m_traversalPoint = QPointF(sx, m_loads[i]);
        marker.add(m_traversalPoint, deformation ? leafMarkerLabel(sx, m_loads[i])
                                                 : QStringLiteral(" X: ") + shortestText(sx, 2) +
                                                       QStringLiteral(" ;Y: ") + shortestText(m_loads[i], 2));
        return;
    }
}

void Ttest_result_gbth::PickPoint() {
    m_chart.series[ResultChart::Picked].add(m_traversalPoint,
                                            leafMarkerLabel(m_traversalPoint.x(), m_traversalPoint.y()));
}

void Ttest_result_gbth::forgetReplayedCurve() {
    forgetCurve();
    m_traversing = false;
    m_traversalShown = false;
}

QString Ttest_result_gbth::DeleteCurrent(int row) {
    if (m_results.isEmpty()) return kNoResults;
    if (row < 0 || row >= m_results.size()) return {};
    const int serial = m_results[row].toInt(QStringLiteral("xuhao"));
    const bool replaying = m_replayedRow.has_value();
    const int replayedSerial = replaying ? m_results[*m_replayedRow].toInt(QStringLiteral("xuhao")) : 0;
    {
        // Its curve goes with it: the next test stored may take the freed serial, and must not inherit
        // these samples.
        Transaction tx(m_db);
        const bool ok = tx.isActive() &&
                        m_db.exec(QStringLiteral("delete from gbth_result where xuhao = ?"), {serial}) &&
                        m_db.exec(QStringLiteral("delete from test_point where xuhao = ?"), {serial}) &&
                        deleteFullRateCurve(m_db, serial) && tx.commit();
        if (!ok) return QStringLiteral("删除数据失败!!") + QLatin1Char(' ') + m_db.lastError();
    }
    if (!reload()) {
        forgetReplayedCurve();
        return kFileReadError;
    }
    if (replaying && replayedSerial == serial) {
        forgetReplayedCurve();
    } else if (replaying) {
        m_replayedRow.reset();
        for (int r = 0; r < m_results.size(); ++r)
            if (m_results[r].toInt(QStringLiteral("xuhao")) == replayedSerial) m_replayedRow = r;
    }
    return {};
}

QString Ttest_result_gbth::DeleteAll() {
    if (m_results.isEmpty()) return kNoResults;
    Transaction tx(m_db);
    const bool ok = tx.isActive() && m_db.exec(QStringLiteral("delete from test_point")) &&
                    m_db.exec(QStringLiteral("delete from gbth_result")) && deleteAllFullRateCurves(m_db) &&
                    tx.commit();
    if (!ok) return QStringLiteral("删除数据失败!!") + QLatin1Char(' ') + m_db.lastError();
    reload();
    forgetReplayedCurve();
    return {};
}

ExportOutcome Ttest_result_gbth::ExportPoints(const ExportRequest& request, const QString& testNumber) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(3);
    if (error.isEmpty())
        error = writeRowTexts(book, 1, {QStringLiteral("序号"), kLoadName, kDeformationName});
    if (!error.isEmpty()) return exportFailed(error);

    Database db(m_path, Database::OpenMode::ExistingMaybeReadOnly);
    bool isNumber = false;
    const int serial = testNumber.trimmed().toInt(&isNumber);
    const auto samples = db.select(
        QStringLiteral("select number, load, bianxing from test_point where xuhao = ? order by number"),
        {isNumber ? QVariant(serial) : QVariant(testNumber)});
    if (!samples) return exportFailed(db.lastError());

    const int count = static_cast<int>(samples->size());
    prompts().progressStart(QStringLiteral("数据导出"), QStringLiteral("正在导出数据......"), count + 1);
    for (int i = 1; i <= count && error.isEmpty(); ++i) {
        const DbRow& s = (*samples)[i - 1];
        error = writeRowTexts(book, i + 1,
                              {s.text(QStringLiteral("number")), s.text(QStringLiteral("load")),
                               s.text(QStringLiteral("bianxing"))});
        if (i % 200 == 0 || i == count) prompts().progressStep(i + 1);
    }
    ExportOutcome outcome = error.isEmpty() ? saveAndShowReport(book, request,
                                                                QFileInfo(m_path).completeBaseName() +
                                                                    QStringLiteral("_采集数据_") + testNumber)
                                            : exportFailed(error);
    prompts().progressEnd();
    return outcome;
}

ExportOutcome Ttest_result_gbth::ExportRecord(const ExportRequest& request, int row,
                                              const QByteArray& chartPng) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    const int described = row >= 0 && row < m_results.size() ? row : 0;
    return exportLeafTestRecord(request, m_path, m_results[described].toInt(QStringLiteral("xuhao")),
                                chartPng);
}

}  // namespace springtest
