#include "results/Ttest_result_HXGD.h"

#include "platform/OperatorTexts.h"
#include "results/CurveSamplesExport.h"
#include "results/LateralReport.h"
#include "results/Ttest_result.h"
#include "storage/FullRateCurve.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOffsetAngle.h"
#include "storage/TestOperator.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

const QString kNoResults = QStringLiteral("无测试记录！！");
const QString kReplayedTitle = QStringLiteral("当前曲线显示序号：");
const QString kOperatorField = QStringLiteral("operator_name");
const QString kAngleField = QStringLiteral("angle");

struct GridColumns {
    QStringList fields;
    QStringList titles;
    void add(const QString& field, const QString& title) {
        fields << field;
        titles << title;
    }
};

GridColumns makeResultColumns() {
    GridColumns c;
    c.add(QStringLiteral("xuhao"), QStringLiteral("序号"));
    c.add(QStringLiteral("jinhuicheng"), QStringLiteral("进回程"));
    for (int k = 1; k <= 10; ++k) {
        const QString n = QString::number(k);
        c.add(QStringLiteral("result") + n, QStringLiteral("结果") + n);
        c.add(QStringLiteral("gangdu") + n, kStiffnessName + n);
        c.add(QStringLiteral("x_value") + n, QStringLiteral("X值") + n);
        c.add(QStringLiteral("y_value") + n, QStringLiteral("Y值") + n);
        c.add(QStringLiteral("pianyi_value") + n, QStringLiteral("偏移量") + n);
    }
    c.add(QStringLiteral("height"), QStringLiteral("弹簧高度"));
    c.add(QStringLiteral("date"), QStringLiteral("      测试日期      "));
    c.add(kOperatorField, QStringLiteral("操作员"));
    c.add(kAngleField, QStringLiteral("偏移角度"));
    return c;
}

GridColumns makeSchemeColumns() {
    GridColumns c;
    c.add(QStringLiteral("scheme_name"), QStringLiteral("方案名"));
    c.add(QStringLiteral("scheme_style"), QStringLiteral("试验类型"));
    c.add(QStringLiteral("scheme_load"), QStringLiteral("初始力"));
    c.add(QStringLiteral("scheme_sum"), QStringLiteral("测试点数"));
    for (int k = 1; k <= 10; ++k) {
        const QString title = QStringLiteral("测试点%1").arg(k);
        c.add(schemePointColumn(k), title);
        c.add(schemePointMaxColumn(k), title + QStringLiteral("上限"));
        c.add(schemePointMinColumn(k), title + QStringLiteral("下限"));
    }
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

double round4(double v) {
    return std::round(v * 1e4) / 1e4;
}

// The path's axes are symmetric about 0 and widen, never narrow, to keep every point well inside.
void widenSymmetric(AxisRange& axis, double value) {
    const double magnitude = std::abs(value);
    if (magnitude <= 0.9 * axis.max) return;
    axis = {-1.2 * magnitude, 1.2 * magnitude, 0};
    axis.restep();
}

QString xName(int style) {
    if (style == 1 || style == 3) return kDeformationName;
    if (style == 0 || style == 2) return QStringLiteral("高度");
    return QString();
}

}  // namespace

const QStringList& Ttest_result_HXGD::resultFields() {
    return resultColumns().fields;
}
const QStringList& Ttest_result_HXGD::resultTitles() {
    return resultColumns().titles;
}
const QStringList& Ttest_result_HXGD::schemeFields() {
    return schemeColumns().fields;
}
const QStringList& Ttest_result_HXGD::schemeTitles() {
    return schemeColumns().titles;
}

Ttest_result_HXGD::Ttest_result_HXGD(const QString& path) : BrowsedBatch(path) {
    for (ChartSeriesData& s : m_pathChart.series) s.visible = false;
    for (ChartSeriesData& s : m_chart.series) s.visible = false;
}

Ttest_result_HXGD::OpenOutcome Ttest_result_HXGD::open(const QString& batchPath) {
    if (!QFileInfo(batchPath).isFile()) return {nullptr, kFileMissing};
    std::unique_ptr<Ttest_result_HXGD> r(new Ttest_result_HXGD(batchPath));
    if (!r->m_db.isOpen() || !r->reload()) return {nullptr, withReason(kFileReadError, r->m_db.lastError())};
    if (r->m_results.isEmpty()) return {nullptr, QStringLiteral("该方案无测试记录!!")};
    // Without the curve index every replay of a large batch reads the whole curve table.
    ensureBatchIndexes(r->m_db);
    return {std::move(r), QString()};
}

bool Ttest_result_HXGD::reload() {
    const auto results = m_db.select(QStringLiteral("select * from test_result order by rowid"));
    const auto scheme = m_db.select(QStringLiteral("select * from test_information order by rowid"));
    const auto operators = readTestOperators(m_db);
    const auto angles = readTestOffsetAngles(m_db);
    if (!results || !scheme || !operators || !angles) return false;
    m_results = *results;
    m_scheme = *scheme;
    m_operators = *operators;
    m_angles = *angles;
    if (!m_scheme.isEmpty()) {
        const DbRow& s = m_scheme.first();
        m_style = s.toInt(QStringLiteral("scheme_style"));
        m_testPoints = s.toInt(QStringLiteral("scheme_sum"));
        m_schemeType = s.toBool(QStringLiteral("scheme_type"));
        m_strokes = s.toInt(QStringLiteral("scheme_jh")) == 1 ? 1 : 2;
    }
    return true;
}

QString Ttest_result_HXGD::resultText(int row, int column) const {
    if (row < 0 || row >= m_results.size()) return {};
    const QString field = resultFields().value(column);
    const int serial = m_results[row].toInt(QStringLiteral("xuhao"));
    if (field == kOperatorField) return m_operators.value(serial);
    if (field == kAngleField) return m_angles.value(serial);
    return cellText(m_results, resultFields(), row, column);
}

QString Ttest_result_HXGD::schemeText(int row, int column) const {
    return cellText(m_scheme, schemeFields(), row, column);
}

bool Ttest_result_HXGD::readForward(int serial) {
    const auto samples = m_db.select(
        QStringLiteral("select * from test_point where xuhao = ? and jinhuicheng = '1' order by number"),
        {serial});
    if (!samples || samples->isEmpty()) return false;
    m_loads.clear();
    m_displacements.clear();
    m_deformations.clear();
    m_xs.clear();
    m_ys.clear();
    for (const DbRow& s : *samples) {
        m_loads.append(static_cast<float>(s.toDouble(QStringLiteral("load"))));
        m_displacements.append(static_cast<float>(s.toDouble(QStringLiteral("weiyi"))));
        m_deformations.append(static_cast<float>(s.toDouble(QStringLiteral("bianxing"))));
        if (m_schemeType) {
            m_xs.append(static_cast<float>(s.toDouble(QStringLiteral("X"))));
            m_ys.append(static_cast<float>(s.toDouble(QStringLiteral("Y"))));
        }
    }
    return true;
}

QString Ttest_result_HXGD::ShowCurve(int row) {
    m_chart.series[ResultChart::Picked].clear();
    if (row < 0 || row >= m_results.size()) return {};
    const int serial = m_results[row].toInt(QStringLiteral("xuhao"));
    if (!readForward(serial)) return QStringLiteral("当前序号无曲线数据!!");
    DrawCurve(m_style);
    // A return curve belongs to the test it was read with: a test without one shows none.
    ChartSeriesData& back = m_chart.series[ResultChart::Unused];
    back.clear();
    back.visible = false;
    if (m_strokes == 2) drawReturn(serial, m_style);
    m_replayedRow = row;
    m_chart.title = kReplayedTitle + m_results[row].text(QStringLiteral("xuhao"));
    m_pathChart.title = m_chart.title;
    return {};
}

void Ttest_result_HXGD::DrawCurve(int style) {
    m_chart.bottom = {0, 0, 0};
    m_chart.left = {0, 0, 0};
    m_pathChart.bottom = {0, 0, 0};
    m_pathChart.left = {0, 0, 0};

    ChartSeriesData& curve = m_chart.series[ResultChart::Curve];
    curve.visible = true;
    curve.clear();
    m_largestX = 0;
    m_smallestX = 1000000;
    m_largestLoad = 0;
    for (int i = 0; i < m_loads.size(); ++i) {
        const float L = m_loads[i];
        if (style == 1 || style == 3) {
            curve.add(QPointF(round4(m_deformations[i]), round4(L)));
            m_largestX = std::max(m_largestX, m_deformations[i]);
            m_smallestX = 0;
        } else if (style == 0 || style == 2) {
            curve.add(QPointF(round4(m_displacements[i]), round4(L)));
            m_largestX = std::max(m_largestX, m_displacements[i]);
            m_smallestX = std::min(m_smallestX, m_displacements[i]);
        }
        m_largestLoad = std::max(m_largestLoad, L);
    }
    m_chart.left = {0, 1.1 * m_largestLoad, 0};
    m_chart.left.restep();
    m_chart.bottom = {0.9 * m_smallestX, 1.1 * m_largestX, 0};
    m_chart.bottom.restep();

    ChartSeriesData& path = m_pathChart.series[ResultChart::Curve];
    path.visible = true;
    path.clear();
    if (!m_schemeType) return;
    for (int i = 0; i < m_xs.size() && i < m_ys.size(); ++i) {
        path.add(QPointF(round4(m_xs[i]), round4(m_ys[i])));
        widenSymmetric(m_pathChart.bottom, m_xs[i]);
        widenSymmetric(m_pathChart.left, m_ys[i]);
    }
}

void Ttest_result_HXGD::drawReturn(int serial, int style) {
    const auto samples = m_db.select(
        QStringLiteral("select * from test_point where xuhao = ? and jinhuicheng = '2' order by number asc"),
        {serial});
    if (!samples || samples->isEmpty()) return;
    ChartSeriesData& back = m_chart.series[ResultChart::Unused];
    back.visible = true;
    for (const DbRow& s : *samples) {
        const double load = s.toDouble(QStringLiteral("load"));
        if (style == 1 || style == 3) {
            const double deformation = s.toDouble(QStringLiteral("bianxing"));
            back.add(QPointF(round4(deformation), round4(load)));
            if (deformation > m_chart.bottom.max) {
                m_chart.bottom = {0, 1.2 * deformation, 0};
                m_chart.bottom.restep();
            }
        } else if (style == 0 || style == 2) {
            back.add(QPointF(round4(s.toDouble(QStringLiteral("weiyi"))), round4(load)));
        }
        if (load > 0.9 * m_chart.left.max) {
            m_chart.left.max = 1.2 * load;
            m_chart.left.restep();
        }
    }
}

void Ttest_result_HXGD::StartTraversal() {
    if (!m_chart.series[ResultChart::Curve].visible) return;
    m_traversing = true;
    m_chart.series[ResultChart::Traversal].visible = true;
    m_chart.series[ResultChart::Picked].visible = true;
}

void Ttest_result_HXGD::EndTraversal() {
    m_traversing = false;
    m_chart.series[ResultChart::Traversal].visible = false;
    m_chart.series[ResultChart::Picked].visible = false;
}

void Ttest_result_HXGD::TrackCursor(int style, double x, double y) {
    if (!m_traversing || style < 0 || style > 3) return;
    const double X = std::round(x * 1000) / 1000;
    const double Y = std::round(y * 1000) / 1000;
    const bool deformation = style == 1 || style == 3;
    for (int i = 0; i < m_loads.size(); ++i) {
        const double sx = deformation ? m_deformations[i] : m_displacements[i];
        const bool match = deformation ? (sx >= X && m_loads[i] < Y) : (sx <= X && m_loads[i] < Y);
        if (!match) continue;
        ChartSeriesData& marker = m_chart.series[ResultChart::Traversal];
        marker.clear();
        m_traversalPoint = QPointF(sx, m_loads[i]);
        marker.add(m_traversalPoint, QStringLiteral(" X: ") + shortestText(round4(sx), 4) +
                                         QStringLiteral(" ;Y: ") + shortestText(round4(m_loads[i]), 4));
        return;
    }
}

void Ttest_result_HXGD::PickPoint(int style) {
    const QString xn = xName(style);
    const QString yn = xn.isEmpty() ? QString() : kLoadName;
    m_chart.series[ResultChart::Picked].add(
        m_traversalPoint, xn + QLatin1Char(':') + shortestText(m_traversalPoint.x(), 3) + QLatin1Char(';') +
                              yn + QLatin1Char(':') + shortestText(m_traversalPoint.y(), 3));
}

void Ttest_result_HXGD::forgetReplayedCurve() {
    forgetCurve();
    m_xs.clear();
    m_ys.clear();
    m_traversing = false;
    m_chart.title.clear();
    m_pathChart.title.clear();
    for (ChartSeriesData& s : m_pathChart.series) {
        s.clear();
        s.visible = false;
    }
}

QString Ttest_result_HXGD::DeleteCurrent(int row) {
    if (m_results.isEmpty()) return kNoResults;
    if (row < 0 || row >= m_results.size()) return {};
    const int serial = m_results[row].toInt(QStringLiteral("xuhao"));
    const bool replaying = m_replayedRow.has_value();
    const int replayedSerial = replaying ? m_results[*m_replayedRow].toInt(QStringLiteral("xuhao")) : 0;
    {
        // The test goes whole: both its stroke rows, its curve (with any full-rate recording), its operator
        // and its angle. Leaving a part would hand it to the next test stored, which may take the freed
        // serial.
        Transaction tx(m_db);
        const bool ok = tx.isActive() &&
                        m_db.exec(QStringLiteral("delete from test_result where xuhao = ?"), {serial}) &&
                        m_db.exec(QStringLiteral("delete from test_point where xuhao = ?"), {serial}) &&
                        deleteTestOperator(m_db, serial) && deleteTestOffsetAngle(m_db, serial) &&
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
        for (int r = 0; r < m_results.size() && !m_replayedRow; ++r)
            if (m_results[r].toInt(QStringLiteral("xuhao")) == replayedSerial) m_replayedRow = r;
    }
    return {};
}

QString Ttest_result_HXGD::DeleteAll() {
    if (m_results.isEmpty()) return kNoResults;
    Transaction tx(m_db);
    const bool ok = tx.isActive() && m_db.exec(QStringLiteral("delete from test_point")) &&
                    m_db.exec(QStringLiteral("delete from test_result")) && deleteAllTestOperators(m_db) &&
                    deleteAllTestOffsetAngles(m_db) && deleteAllFullRateCurves(m_db) && tx.commit();
    if (!ok) return QStringLiteral("删除数据失败!!") + QLatin1Char(' ') + m_db.lastError();
    reload();
    forgetReplayedCurve();
    return {};
}

ExportOutcome Ttest_result_HXGD::ExportResults(const ExportRequest& request,
                                               const QList<int>& selectedRows) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    QList<int> rows;
    for (int r : selectedRows)
        if (r >= 0 && r < m_results.size()) rows << r;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!selectedRows.isEmpty() && rows.isEmpty()) return {kNothingSelected.toString(), {}, {}};
    if (selectedRows.isEmpty())
        for (int r = 0; r < m_results.size(); ++r) rows << r;

    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(1);
    if (error.isEmpty()) error = writeRowTexts(book, 1, schemeTitles());
    if (error.isEmpty() && !m_scheme.isEmpty()) {
        QStringList texts;
        for (int c = 0; c < schemeFields().size(); ++c) texts << schemeText(0, c);
        error = writeStoredRow(book, 2, schemeFields(), texts);
    }
    if (error.isEmpty()) error = writeRowTexts(book, 3, resultTitles());
    for (int j = 0; error.isEmpty() && j < rows.size(); ++j) {
        QStringList texts;
        for (int c = 0; c < resultFields().size(); ++c) texts << resultText(rows[j], c);
        error = writeStoredRow(book, j + 4, resultFields(), texts);
    }
    if (!error.isEmpty()) return exportFailed(error);
    return saveAndShowReport(
        book, request,
        QFileInfo(m_path).completeBaseName() +
            (selectedRows.isEmpty() ? QStringLiteral("_全部") : QStringLiteral("_选择")));
}

QList<QStringList> Ttest_result_HXGD::resultsCsvRows() const {
    QList<QStringList> rows{resultTitles()};
    for (int r = 0; r < m_results.size(); ++r) {
        QStringList texts;
        for (int c = 0; c < resultFields().size(); ++c) texts << resultText(r, c);
        rows << texts;
    }
    return rows;
}

ExportOutcome Ttest_result_HXGD::ExportPoints(const ExportRequest& request, const QString& testNumber) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    return exportCurveSamples(request, m_path, testNumber);
}

ExportOutcome Ttest_result_HXGD::ExportReport(const ExportRequest& request, int row,
                                              const QByteArray& chartPng) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    const int described = row >= 0 && row < m_results.size() ? row : 0;
    ExportRequest report = request;
    report.templateName = kLateralReportTemplate;
    return exportLateralReport(report, m_path, m_results[described].toInt(QStringLiteral("xuhao")), chartPng);
}

}  // namespace springtest
