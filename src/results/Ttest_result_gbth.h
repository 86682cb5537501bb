#pragma once

#include "results/ReportExport.h"
#include "results/ResultChart.h"
#include "storage/Database.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <optional>

namespace springtest {

// The leaf-spring result browser's working object for one opened leaf-spring batch: its results and scheme,
// the replayed curve, the traversal marker with the secant stiffness under it, picked values, deleting
// results, the curve-sample export and the test record. It holds the batch open while it exists.
class Ttest_result_gbth {
public:
    struct OpenOutcome {
        std::unique_ptr<Ttest_result_gbth> result;
        QString message;  // for the operator when there is no result
    };
    // "文件不存在!!", "该方案无测试记录!!" (no browser object then), "文件读取错误!!" with the engine's
    // reason.
    static OpenOutcome open(const QString& batchPath);

    // The grids' columns (fields), titles and which of them stay hidden, in display order.
    static const QStringList& resultFields();
    static const QStringList& resultTitles();
    static bool resultColumnHidden(int column);
    static const QStringList& schemeFields();
    static const QStringList& schemeTitles();
    static bool schemeColumnHidden(int column);

    const QString& path() const { return m_path; }
    const QList<DbRow>& results() const { return m_results; }
    const QList<DbRow>& scheme() const { return m_scheme; }
    QString resultText(int row, int column) const;
    QString schemeText(int row, int column) const;
    int schemeStyle() const { return m_style; }
    int testPointCount() const { return m_testPoints; }

    // Loads and draws the curve of the results row; a message when that test has no samples (the curve
    // shown before stays then). Picked values stay on the chart.
    QString ShowCurve(int row);
    std::optional<int> replayedRow() const { return m_replayedRow; }
    void DrawCurve(int style);
    int pointCount() const { return static_cast<int>(m_loads.size()); }

    // "曲线编历": on, it shows the marker and the picked values (it follows the mouse only over a replayed
    // curve); off, it hides both.
    void ToggleTraversal();
    bool traversing() const { return m_traversing; }
    bool traversalShown() const { return m_traversalShown; }
    void TrackCursor(int style, double x, double y);
    QPointF traversalPoint() const { return m_traversalPoint; }
    void PickPoint();
    void ClearPicked();

    // Deletes the test of the results row with its curve, in one transaction; the other tests keep their
    // numbers. A message when there is nothing to delete or it failed.
    QString DeleteCurrent(int row);
    // Without a question: the window asks first.
    QString DeleteAll();

    // Sheet 3: "序号", "负荷", "变形" and one row per curve sample of the test.
    ExportOutcome ExportPoints(const ExportRequest& request, const QString& testNumber) const;
    // The test record of the results row, with the chart's picture.
    ExportOutcome ExportRecord(const ExportRequest& request, int row, const QByteArray& chartPng) const;

    ResultChart& chart() { return m_chart; }
    const ResultChart& chart() const { return m_chart; }

private:
    explicit Ttest_result_gbth(const QString& path);
    bool reload();
    void forgetReplayedCurve();

    QString m_path;
    Database m_db;
    QList<DbRow> m_results;
    QList<DbRow> m_scheme;
    int m_style = 0;
    int m_testPoints = 0;
    QVector<float> m_loads, m_displacements, m_deformations;
    float m_largestX = 0, m_smallestX = 0, m_largestLoad = 0;
    QPointF m_traversalPoint{0, 0};
    bool m_traversing = false;
    bool m_traversalShown = false;
    std::optional<int> m_replayedRow;
    ResultChart m_chart;
};

// The marker's label over a load–deformation curve: the point and the secant stiffness y / x × 1000 to it
// (kN over mm as N/mm), "/" where x is 0.
QString leafMarkerLabel(double x, double y);

}  // namespace springtest
