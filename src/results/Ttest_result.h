#pragma once

#include "results/BrowsedBatch.h"
#include "results/ReportExport.h"

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
// traversal marker and picked values, and deleting results. Headless: the window binds its grids to the rows
// and draws `chart()`.
class Ttest_result : public BrowsedBatch {
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

    // The text a grid shows in a cell.
    QString resultText(int row, int column) const;
    QString schemeText(int row, int column) const;

    void LoadScheme();

    // Replaying a curve clears the values picked on the one before.
    QString ShowCurve(int row) override;
    void DrawCurve(int style);

    void StartTraversal();
    void EndTraversal();
    void TrackCursor(int style, double x, double y) override;
    void PickPoint(int style);
    void ShowTestPoints(int style, int count, int resultRow, const QString& displacementUnits,
                        const QString& loadUnits);

    // Deletes the test of the results row — all its stroke rows and its curve — and renumbers the later tests
    // and their curves in the same transaction. A replayed curve follows its test to its new serial, or
    // leaves the chart with it. A message when there is nothing to delete or it failed.
    QString DeleteCurrent(int row) override;
    QString DeleteAll() override;

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

    float m_largestX = 0, m_smallestX = 1000000, m_largestLoad = 0;
    QHash<int, QString> m_operators;  // by serial
};

// A number rounded to `decimals` in its shortest decimal form: 12.30 → "12.3".
QString shortestText(double value, int decimals);

}  // namespace springtest
