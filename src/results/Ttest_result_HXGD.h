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

// The lateral-stiffness result browser's working object for one opened lateral batch: its results and
// scheme, the replayed load curve with its return stroke, the path the spring's top took sideways (the X–Y
// chart), the traversal marker and picked values, deleting tests, and the exports.
class Ttest_result_HXGD : public BrowsedBatch {
public:
    struct OpenOutcome {
        std::unique_ptr<Ttest_result_HXGD> result;
        QString message;  // for the operator when there is no result
    };
    // "文件不存在!!", "该方案无测试记录!!" (no browser object then), "文件读取错误!!" with the engine's
    // reason.
    static OpenOutcome open(const QString& batchPath);

    // The grids' columns (fields) and titles, in display order. The results grid ends with who ran each
    // test and, for an axial test, the direction its top moved ("偏移角度"), both kept apart from the
    // stored results.
    static const QStringList& resultFields();
    static const QStringList& resultTitles();
    static const QStringList& schemeFields();
    static const QStringList& schemeTitles();

    QString resultText(int row, int column) const;
    QString schemeText(int row, int column) const;

    // The scheme records the X–Y path of its tests (an axial scheme).
    bool schemeType() const { return m_schemeType; }
    // 1: forward stroke only; 2: forward and return.
    int schemeStrokes() const { return m_strokes; }

    // The forward stroke into the load curve and the X–Y path; for a two-stroke scheme the return stroke as
    // the black curve. The values picked on the curve before are cleared.
    QString ShowCurve(int row) override;
    void DrawCurve(int style);

    // The X–Y chart ("Chart2"): its series 0 is the path; the others stay empty.
    ResultChart& pathChart() { return m_pathChart; }
    const ResultChart& pathChart() const { return m_pathChart; }

    void StartTraversal();
    // Hides the marker and the picked values alike.
    void EndTraversal();
    void TrackCursor(int style, double x, double y) override;
    void PickPoint(int style);

    // The test with all its rows, curve, operator and angle, in one transaction; the other tests keep their
    // numbers.
    QString DeleteCurrent(int row) override;
    QString DeleteAll() override;

    // Sheet 1 of the results template: the scheme grid's titles and the scheme, then the results grid's
    // titles and every result (`rows` empty) or the given rows in grid order, as the grids show them.
    ExportOutcome ExportResults(const ExportRequest& request, const QList<int>& rows = {}) const;
    // The results grid as CSV rows: its titles, then every result as the grid shows it.
    QList<QStringList> resultsCsvRows() const;
    // Sheet 3: the curve samples of one test.
    ExportOutcome ExportPoints(const ExportRequest& request, const QString& testNumber) const;
    // The lateral report of the results row's test with the load curve's picture.
    ExportOutcome ExportReport(const ExportRequest& request, int row, const QByteArray& chartPng) const;

private:
    explicit Ttest_result_HXGD(const QString& path);
    bool reload();
    bool readForward(int serial);
    void drawReturn(int serial, int style);
    void forgetReplayedCurve();

    bool m_schemeType = true;
    int m_strokes = 1;
    QVector<float> m_xs, m_ys;
    float m_largestX = 0, m_smallestX = 1000000, m_largestLoad = 0;
    ResultChart m_pathChart;
    QHash<int, QString> m_operators;  // by serial
    QHash<int, QString> m_angles;     // by serial
};

}  // namespace springtest
