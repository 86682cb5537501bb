#pragma once

#include "results/ReportExport.h"
#include "results/ResultChart.h"
#include "storage/Database.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <optional>

namespace springtest {

// The result browser's working object for one opened batch: its results and scheme, the replayed curve, the
// traversal marker and picked values, and deleting results. It holds the batch open while it exists (so the
// batch counts as in use). Headless: the window binds its grids to the rows and draws `chart()`.
class Ttest_result {
public:
    struct OpenOutcome {
        std::unique_ptr<Ttest_result> result;
        QString message;  // for the operator when there is no result
        QString notice;   // for the operator beside an opened batch: serials stored twice by older programs
    };
    // "文件不存在!!", "该方案无测试记录!!" (no browser object then), "文件读取错误!!" with the engine's
    // reason. A batch from an older template gets the current indexes (see ensureBatchIndexes).
    static OpenOutcome open(const QString& batchPath);

    // The grids' columns (fields) and titles, in display order.
    static const QStringList& resultFields();
    static const QStringList& resultTitles();
    static const QStringList& schemeFields();
    static const QStringList& schemeTitles();

    // The results grid's last column, after the stored fields: who ran each test ("操作员"). A test stored
    // before operators were recorded names none.
    static const QString& operatorTitle();
    QString operatorText(int row) const;
    // The results grid as the browser shows it: the stored fields, then the operator.
    static QStringList gridTitles();
    static QStringList gridFields();  // the stored fields, then "operator_name"
    QString gridText(int row, int column) const;

    const QString& path() const { return m_path; }
    const QList<DbRow>& results() const { return m_results; }
    const QList<DbRow>& scheme() const { return m_scheme; }
    // The text a grid shows in a cell.
    QString resultText(int row, int column) const;
    QString schemeText(int row, int column) const;

    void LoadScheme();
    int schemeStyle() const { return m_style; }
    int testPointCount() const { return m_testPoints; }

    // Loads and draws the curve of the results row; a message when that test has no samples (the curve shown
    // before stays then).
    QString ShowCurve(int row);
    // The results row whose curve the chart shows; none before the first replay and once that test is
    // deleted.
    std::optional<int> replayedRow() const { return m_replayedRow; }
    void DrawCurve(int style);
    int pointCount() const { return static_cast<int>(m_loads.size()); }

    // Curve traversal; x and y are the axis values under the mouse.
    void StartTraversal();
    void EndTraversal();
    bool traversing() const { return m_traversing; }
    void TrackCursor(int style, double x, double y);
    QPointF traversalPoint() const { return m_traversalPoint; }
    void PickPoint(int style);
    void ClearPicked();
    void ShowTestPoints(int style, int count, int resultRow, const QString& displacementUnits,
                        const QString& loadUnits);

    // Deletes the test of the results row — all its stroke rows and its curve — and renumbers the later tests
    // and their curves in the same transaction. A replayed curve follows its test to its new serial, or
    // leaves the chart with it. A message when there is nothing to delete or it failed.
    QString DeleteCurrent(int row);
    // Without a question: the window asks first. A message when there is nothing to delete or it failed.
    QString DeleteAll();

    // The spreadsheet exports. Each fills a copy of the request's template, saves it as a new workbook in the
    // application folder's report folder and hands it to the request's opener; the saved workbook opens on
    // the sheet the export filled last. Messages: kNoResultsToExport when the batch has no results,
    // kNothingSelected when no valid row is selected, kExportFailed (with the reason in `detail`) for any
    // failure on the way. The template itself is only read.
    //
    // Every export writes a result as the grid shows it, its operator after the stored fields.
    //
    // Sheet 1: the scheme grid's titles and the scheme record, then every result under the results grid's
    // titles.
    ExportOutcome ExportAll(const ExportRequest& request) const;
    // Sheet 1: the scheme rows, then the selected rows of results() in grid order, without titles.
    ExportOutcome ExportSelected(const ExportRequest& request, const QList<int>& selectedRows) const;
    // Sheet 1: the scheme rows and, under the titles, the results row `resultRow`: the test the picture
    // shows, so that the report's figures and its curve describe the same spring (a row outside the results
    // gives the first). Then the sheet named `reportName`, with the curve picture (PNG) placed where that
    // report's settings say, when they ask for it.
    ExportOutcome ExportReport(const ExportRequest& request, const QString& reportName,
                               const QByteArray& chartPng, int resultRow) const;
    // Sheet 3: the curve samples of one test, one row each, in point order; a progress window meanwhile.
    ExportOutcome ExportPoints(const ExportRequest& request, const QString& testNumber) const;

    ResultChart& chart() { return m_chart; }
    const ResultChart& chart() const { return m_chart; }

private:
    explicit Ttest_result(const QString& path);
    bool reload();
    QString writeSchemeRows(Workbook& book) const;
    QString writeResultTitlesAndRows(Workbook& book, int rowCount) const;
    QString writeResultTitlesAndRow(Workbook& book, int row) const;
    QStringList resultTexts(int row) const;
    // Where the results row `row` is once the test `serial` is deleted; none when it is that test's own.
    std::optional<int> rowAfterDeleting(int serial, int row) const;
    void forgetReplayedCurve();

    QString m_path;
    Database m_db;
    QList<DbRow> m_results;
    QList<DbRow> m_scheme;
    int m_style = 0;
    int m_testPoints = 0;
    QVector<float> m_loads, m_displacements, m_deformations;
    float m_largestX = 0, m_smallestX = 1000000, m_largestLoad = 0;
    QPointF m_traversalPoint{0, 0};
    bool m_traversing = false;
    std::optional<int> m_replayedRow;
    QHash<int, QString> m_operators;  // by serial
    ResultChart m_chart;
};

// A number rounded to `decimals` in its shortest decimal form: 12.30 → "12.3".
QString shortestText(double value, int decimals);

}  // namespace springtest
