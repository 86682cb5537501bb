#pragma once

#include "results/BrowsedBatch.h"
#include "results/ReportExport.h"

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
// results, the curve-sample export and the test record.
class Ttest_result_gbth : public BrowsedBatch {
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

    QString resultText(int row, int column) const;
    QString schemeText(int row, int column) const;

    // Picked values stay on the chart.
    QString ShowCurve(int row) override;
    void DrawCurve(int style);

    // "曲线编历": on, it shows the marker and the picked values (it follows the mouse only over a replayed
    // curve); off, it hides both.
    void ToggleTraversal();
    bool traversalShown() const { return m_traversalShown; }
    void TrackCursor(int style, double x, double y) override;
    void PickPoint();

    // In one transaction; the other tests keep their numbers.
    QString DeleteCurrent(int row) override;
    QString DeleteAll() override;

    // Sheet 3: "序号", "负荷", "变形" and one row per curve sample of the test.
    ExportOutcome ExportPoints(const ExportRequest& request, const QString& testNumber) const;
    // The test record of the results row, with the chart's picture.
    ExportOutcome ExportRecord(const ExportRequest& request, int row, const QByteArray& chartPng) const;

private:
    explicit Ttest_result_gbth(const QString& path);
    bool reload();
    void forgetReplayedCurve();

    float m_largestX = 0, m_smallestX = 0, m_largestLoad = 0;
    bool m_traversalShown = false;
};

// The marker's label over a load–deformation curve: the point and the secant stiffness y / x × 1000 to it
// (kN over mm as N/mm), "/" where x is 0.
QString leafMarkerLabel(double x, double y);

}  // namespace springtest
