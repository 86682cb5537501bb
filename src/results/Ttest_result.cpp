#include "results/Ttest_result.h"

#include "platform/OperatorTexts.h"
#include "results/CurveSamplesExport.h"
#include "results/ReportNames.h"
#include "results/StandardQuantities.h"
#include "results/StatisticsSheet.h"
#include "storage/Batch.h"
#include "storage/FullRateCurve.h"
#include "storage/Schema.h"
#include "storage/TestOperator.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

QStringList makeResultFields() {
    QStringList f{QStringLiteral("xuhao"), QStringLiteral("jinhuicheng")};
    for (int k = 1; k <= 10; ++k) f << QStringLiteral("result") + QString::number(k);
    for (int k = 1; k <= 10; ++k) f << QStringLiteral("gangdu") + QString::number(k);
    f << QStringLiteral("height") << QStringLiteral("yb_height") << QStringLiteral("date");
    return f;
}

QStringList makeResultTitles() {
    QStringList t{QStringLiteral("序号"), QStringLiteral("进回程")};
    for (int k = 1; k <= 10; ++k) t << QStringLiteral("结果") + QString::number(k);
    for (int k = 1; k <= 10; ++k) t << kStiffnessName + QString::number(k);
    t << QStringLiteral("弹簧高度") << QStringLiteral("压并高度") << QStringLiteral("      测试日期      ");
    return t;
}

QStringList makeSchemeFields() {
    QStringList f{QStringLiteral("scheme_name"), QStringLiteral("scheme_style"),
                  QStringLiteral("scheme_jh"),   QStringLiteral("scheme_height"),
                  QStringLiteral("scheme_load"), QStringLiteral("scheme_sum")};
    for (int k = 1; k <= 10; ++k) {
        const QString base = QStringLiteral("schemedata") + QString::number(k);
        f << base << base + QStringLiteral("_max") << base + QStringLiteral("_min");
    }
    return f;
}

QStringList makeSchemeTitles() {
    QStringList t{QStringLiteral("方案名"),   QStringLiteral("试验类型"), QStringLiteral("进回程"),
                  QStringLiteral("返回高度"), QStringLiteral("初始力"),   QStringLiteral("测试点数")};
    for (int k = 1; k <= 10; ++k) {
        const QString base = QStringLiteral("测试点") + QString::number(k);
        t << base << base + QStringLiteral("上限") << base + QStringLiteral("下限");
    }
    return t;
}

const QString kReplayedTitle = QStringLiteral("当前曲线显示序号：");

double round4(double v) {
    return std::round(v * 1e4) / 1e4;
}

// A record's fields in the table's own column order, as text.
QStringList fieldTexts(const DbRow& row, qsizetype count = -1) {
    const QStringList& columns = row.columns();
    const qsizetype n = count < 0 ? columns.size() : std::min(count, columns.size());
    QStringList texts;
    texts.reserve(n);
    for (qsizetype k = 0; k < n; ++k) texts << row.text(columns[k]);
    return texts;
}

// The stem of an export's file name: the batch's own name and what was exported.
QString exportStem(const QString& batchPath, const QString& what) {
    return QFileInfo(batchPath).completeBaseName() + QLatin1Char('_') + what;
}

// The named report's units, on sheet 1 below the result.
constexpr int kUnitsRow = 6;

QString xName(int style) {
    if (style == 1 || style == 3) return kDeformationName;
    if (style == 0 || style == 2) return QStringLiteral("高度");
    return QString();
}

}  // namespace

QString shortestText(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

const QStringList& Ttest_result::resultFields() {
    static const QStringList f = makeResultFields();
    return f;
}
const QStringList& Ttest_result::resultTitles() {
    static const QStringList t = makeResultTitles();
    return t;
}
const QStringList& Ttest_result::schemeFields() {
    static const QStringList f = makeSchemeFields();
    return f;
}
const QStringList& Ttest_result::schemeTitles() {
    static const QStringList t = makeSchemeTitles();
    return t;
}

Ttest_result::Ttest_result(const QString& path) : BrowsedBatch(path) {}

Ttest_result::OpenOutcome Ttest_result::open(const QString& batchPath) {
    if (!QFileInfo(batchPath).isFile()) return {nullptr, kFileMissing};
    std::unique_ptr<Ttest_result> r(new Ttest_result(batchPath));
    if (!r->m_db.isOpen() || !r->reload()) return {nullptr, withReason(kFileReadError, r->m_db.lastError())};
    if (r->m_results.isEmpty()) return {nullptr, QStringLiteral("该方案无测试记录!!")};
    // Without the curve index every replay of a large batch reads the whole curve table.
    const BatchIndexes indexes = ensureBatchIndexes(r->m_db);
    r->LoadScheme();
    OpenOutcome outcome{std::move(r), QString(), QString()};
    if (!indexes.duplicatedSerials.isEmpty())
        outcome.notice = QStringLiteral("该批次有重复的试验序号(记录均已保留): ") +
                         indexes.duplicatedSerials.join(QStringLiteral(", "));
    return outcome;
}

bool Ttest_result::reload() {
    const auto results = m_db.select(QStringLiteral("select * from test_result order by rowid"));
    const auto scheme = m_db.select(QStringLiteral("select * from test_information"));
    const auto operators = readTestOperators(m_db);
    if (!results || !scheme || !operators) return false;
    m_results = *results;
    m_scheme = *scheme;
    m_operators = *operators;
    return true;
}

const QString& Ttest_result::operatorTitle() {
    static const QString title = QStringLiteral("操作员");
    return title;
}

QString Ttest_result::operatorText(int row) const {
    if (row < 0 || row >= m_results.size()) return {};
    return m_operators.value(m_results[row].toInt(QStringLiteral("xuhao")));
}

QString Ttest_result::resultText(int row, int column) const {
    return cellText(m_results, resultFields(), row, column);
}

QString Ttest_result::schemeText(int row, int column) const {
    return cellText(m_scheme, schemeFields(), row, column);
}

void Ttest_result::LoadScheme() {
    if (m_scheme.isEmpty()) return;
    m_style = m_scheme.first().toInt(QStringLiteral("scheme_style"));
    m_testPoints = m_scheme.first().toInt(QStringLiteral("scheme_sum"));
}

QString Ttest_result::ShowCurve(int row) {
    m_chart.series[ResultChart::Picked].clear();
    if (row < 0 || row >= m_results.size()) return {};
    if (!readCurve(m_results[row].toInt(QStringLiteral("xuhao"))))
        return QStringLiteral("当前序号无曲线数据!!");
    DrawCurve(m_style);
    m_replayedRow = row;
    m_chart.title = kReplayedTitle + m_results[row].text(QStringLiteral("xuhao"));
    return {};
}

void Ttest_result::forgetReplayedCurve() {
    forgetCurve();
    m_chart.title.clear();
}

void Ttest_result::DrawCurve(int style) {
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
}

void Ttest_result::StartTraversal() {
    if (!m_chart.series[ResultChart::Curve].visible) return;
    m_traversing = true;
    m_chart.series[ResultChart::Traversal].visible = true;
    m_chart.series[ResultChart::Picked].visible = true;
}

void Ttest_result::EndTraversal() {
    m_traversing = false;
    m_chart.series[ResultChart::Traversal].visible = false;
}

void Ttest_result::TrackCursor(int style, double x, double y) {
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
                                         QStringLiteral(" ;") + QStringLiteral("Y: ") +
                                         shortestText(round4(m_loads[i]), 4));
        return;
    }
}

void Ttest_result::PickPoint(int style) {
    const QString xn = xName(style);
    const QString yn = xn.isEmpty() ? QString() : kLoadName;
    m_chart.series[ResultChart::Picked].add(
        m_traversalPoint, xn + QLatin1Char(':') + shortestText(m_traversalPoint.x(), 3) + QLatin1Char(';') +
                              yn + QLatin1Char(':') + shortestText(m_traversalPoint.y(), 3));
}

void Ttest_result::ShowTestPoints(int style, int count, int resultRow, const QString& displacementUnits,
                                  const QString& loadUnits) {
    const QString xn = xName(style);
    const QString yn = xn.isEmpty() ? QString() : kLoadName;
    ChartSeriesData& picked = m_chart.series[ResultChart::Picked];
    picked.visible = true;
    picked.clear();
    if (m_scheme.isEmpty() || resultRow < 0 || resultRow >= m_results.size()) return;
    for (int i = 1; i <= count; ++i) {
        const double target = m_scheme.first().toDouble(QStringLiteral("schemedata") + QString::number(i));
        const double value = m_results[resultRow].toDouble(QStringLiteral("result") + QString::number(i));
        if (style == 0 || style == 1)
            picked.add(QPointF(target, value), xn + QLatin1Char(':') + shortestText(target, 3) +
                                                   displacementUnits + QLatin1Char(';') + yn +
                                                   QLatin1Char(':') + shortestText(value, 3) + loadUnits);
        else if (style == 2 || style == 3)
            picked.add(QPointF(value, target), xn + QLatin1Char(':') + shortestText(value, 3) +
                                                   displacementUnits + QLatin1Char(';') + yn +
                                                   QLatin1Char(':') + shortestText(target, 3) + loadUnits);
    }
}

QString Ttest_result::DeleteCurrent(int row) {
    if (m_results.isEmpty()) return QStringLiteral("无测试记录！！");
    if (row < 0 || row >= m_results.size()) return {};
    const int serial = m_results[row].toInt(QStringLiteral("xuhao"));
    const std::optional<int> replayedAfter =
        m_replayedRow ? rowAfterDeleting(serial, *m_replayedRow) : std::nullopt;
    {
        // The test goes with all its stroke rows and its curve; later tests move down by one, their curves
        // with them, so every result still replays its own curve.
        Transaction tx(m_db);
        const bool ok = tx.isActive() &&
                        m_db.exec(QStringLiteral("delete from test_result where xuhao = ?"), {serial}) &&
                        m_db.exec(QStringLiteral("delete from test_point where xuhao = ?"), {serial}) &&
                        deleteTestOperator(m_db, serial) && deleteFullRateCurve(m_db, serial) &&
                        closeSerialGap(m_db, serial) && tx.commit();
        if (!ok) return QStringLiteral("删除数据失败!!") + QLatin1Char(' ') + m_db.lastError();
    }
    if (!reload()) {
        forgetReplayedCurve();
        return kFileReadError;
    }
    if (m_replayedRow && replayedAfter && *replayedAfter < m_results.size()) {
        // The curve stays; its test now goes by the serial it moved down to.
        m_replayedRow = replayedAfter;
        m_chart.title = kReplayedTitle + m_results[*replayedAfter].text(QStringLiteral("xuhao"));
    } else if (m_replayedRow) {
        forgetReplayedCurve();
    }
    return {};
}

std::optional<int> Ttest_result::rowAfterDeleting(int serial, int row) const {
    if (row < 0 || row >= m_results.size() || m_results[row].toInt(QStringLiteral("xuhao")) == serial)
        return std::nullopt;
    int removedAbove = 0;
    for (int r = 0; r < row; ++r)
        if (m_results[r].toInt(QStringLiteral("xuhao")) == serial) ++removedAbove;
    return row - removedAbove;
}

QString Ttest_result::DeleteAll() {
    if (m_results.isEmpty()) return QStringLiteral("无测试记录！！");
    Transaction tx(m_db);
    const bool ok = tx.isActive() && m_db.exec(QStringLiteral("delete from test_point")) &&
                    m_db.exec(QStringLiteral("delete from test_result")) && deleteAllTestOperators(m_db) &&
                    deleteAllFullRateCurves(m_db) && tx.commit();
    if (!ok) return QStringLiteral("删除数据失败!!") + QLatin1Char(' ') + m_db.lastError();
    reload();
    forgetReplayedCurve();
    return {};
}

QString Ttest_result::writeSchemeRows(Workbook& book) const {
    if (const QString error = writeRowTexts(book, 1, schemeTitles()); !error.isEmpty()) return error;
    return m_scheme.isEmpty()
               ? QString()
               : writeStoredRow(book, 2, m_scheme.first().columns(), fieldTexts(m_scheme.first()));
}

QStringList Ttest_result::resultTexts(int row) const {
    QStringList texts;
    for (int k = 0; k < resultFields().size(); ++k) texts << resultText(row, k);
    return texts << operatorText(row);
}

QStringList Ttest_result::gridFields() {
    return QStringList(resultFields()) << QStringLiteral("operator_name");
}

QStringList Ttest_result::gridTitles() {
    return QStringList(resultTitles()) << operatorTitle();
}

QString Ttest_result::gridText(int row, int column) const {
    return column == resultFields().size() ? operatorText(row) : resultText(row, column);
}

QString Ttest_result::writeResultTitlesAndRows(Workbook& book, int rowCount) const {
    if (const QString error = writeRowTexts(book, 3, gridTitles()); !error.isEmpty()) return error;
    for (int r = 0; r < rowCount; ++r)
        if (const QString error = writeStoredRow(book, r + 4, gridFields(), resultTexts(r)); !error.isEmpty())
            return error;
    return {};
}

QString Ttest_result::writeResultTitlesAndRow(Workbook& book, int row) const {
    if (const QString error = writeRowTexts(book, 3, gridTitles()); !error.isEmpty()) return error;
    return writeStoredRow(book, 4, gridFields(), resultTexts(row));
}

ExportOutcome Ttest_result::ExportAll(const ExportRequest& request) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(1);
    if (error.isEmpty()) error = writeSchemeRows(book);
    if (error.isEmpty()) error = writeResultTitlesAndRows(book, static_cast<int>(m_results.size()));
    // The batch's statistics beside its results; the workbook still opens on the results.
    if (error.isEmpty())
        error = writeStatisticsSheet(
            book,
            standardBatchStatistics(m_results, m_scheme, configuredBatchUnits(request.applicationFolder)));
    if (error.isEmpty()) error = book.activateSheet(1);
    if (!error.isEmpty()) return exportFailed(error);
    return saveAndShowReport(book, request, exportStem(m_path, QStringLiteral("全部")));
}

ExportOutcome Ttest_result::ExportSelected(const ExportRequest& request,
                                           const QList<int>& selectedRows) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    // However the rows were selected, they come out in the grid's order, each once.
    QList<int> rows;
    for (int r : selectedRows)
        if (r >= 0 && r < m_results.size()) rows << r;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty()) return {kNothingSelected.toString(), {}, {}};

    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(1);
    if (error.isEmpty()) error = writeSchemeRows(book);
    // The record's own fields, as many as the grid has stored columns: the layout report templates have
    // always read; then, as in the grid, who ran the test.
    for (int j = 0; error.isEmpty() && j < rows.size(); ++j) {
        QStringList fields = m_results[rows[j]].columns().mid(0, resultFields().size());
        fields.resize(resultFields().size());
        QStringList texts = fieldTexts(m_results[rows[j]], resultFields().size());
        texts.resize(resultFields().size());
        error = writeStoredRow(book, j + 3, fields << QStringLiteral("operator_name"),
                               texts << operatorText(rows[j]));
    }
    if (!error.isEmpty()) return exportFailed(error);
    return saveAndShowReport(book, request, exportStem(m_path, QStringLiteral("选择")));
}

ExportOutcome Ttest_result::ExportReport(const ExportRequest& request, const QString& reportName,
                                         const QByteArray& chartPng, int resultRow) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    const int described = resultRow >= 0 && resultRow < m_results.size() ? resultRow : 0;
    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(1);
    if (error.isEmpty()) error = writeSchemeRows(book);
    if (error.isEmpty()) error = writeResultTitlesAndRow(book, described);
    // The units the report's figures are in, for its labels.
    if (error.isEmpty())
        error =
            writeRowTexts(book, kUnitsRow,
                          {QStringLiteral("负荷单位"), request.loadUnits, QStringLiteral("位移单位"),
                           request.displacementUnits, QStringLiteral("刚度单位"), QStringLiteral("N/mm")});
    const QString dataSheet = book.sheetNames().value(0);
    if (error.isEmpty()) error = book.activateSheet(reportName);
    if (error.isEmpty()) {
        // A report deleted since the browser listed it still fills its sheet, only without the picture.
        const auto report = loadReportName(schemeDatabasePath(request.applicationFolder), reportName, &error);
        if (report && report->chartFlag) error = book.placePicture(report->chartRange, chartPng);
    }
    // The report shows the data's figures with their decimals, and it alone is printed: the sheets it reads
    // from are kept, hidden.
    if (error.isEmpty()) error = book.carryNumberFormats(dataSheet);
    for (int sheet = 1; error.isEmpty() && sheet <= book.sheetCount(); ++sheet)
        if (sheet != book.activeSheet()) error = book.setSheetHidden(sheet, true);
    if (!error.isEmpty()) return exportFailed(error);
    return saveAndShowReport(book, request, exportStem(m_path, reportName));
}

ExportOutcome Ttest_result::ExportPoints(const ExportRequest& request, const QString& testNumber) const {
    if (m_results.isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    return exportCurveSamples(request, m_path, testNumber);
}

}  // namespace springtest
