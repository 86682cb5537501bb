#pragma once

#include <memory>

#include "results/ResultChart.h"
#include "windows/browser/CurveBrowser.h"
#include "windows/console/PlotScale.h"

class QLabel;
class QTabWidget;

namespace springtest {

class Ttest_result_HXGD;

// The lateral-stiffness result browser "数据处理": opens a lateral batch, lists its scheme and stored tests,
// replays a test on two charts — the load curve with its return stroke ("性能测试曲线") and the path the
// spring's top took sideways ("X轴-Y轴曲线"), each with its own tool bar and readout — follows the load
// curve with a marker, deletes tests and batch files, exports a test's samples and makes a test's lateral
// report ("报表打印"). What is not about widgets is done by its Ttest_result_HXGD.
class TF_dp_HXGD : public CurveBrowser {
    Q_OBJECT
public:
    // `loadUnits` is card 0's load unit, for the load axis's title.
    TF_dp_HXGD(QString applicationFolder, QString loadUnits, SpreadsheetOpener& opener,
               QWidget* parent = nullptr);
    ~TF_dp_HXGD() override;

    Ttest_result_HXGD* result() const { return m_result.get(); }
    ResultChartView* pathView() const { return m_pathView; }
    // What the X–Y chart shows: the batch's, or without a batch the window's own empty one.
    const ResultChart& pathChart() const;
    QTabWidget* curvePages() const { return m_pages; }

    void openBatch();                 // "打开文件"
    void exportReport();              // "报表打印"
    void exportPoints();              // "采集数据导出"
    void showStatistics();            // "批次统计"
    void exportResultsCsv();          // "试验结果导出CSV"
    void exportCertificate();         // "试验证书(PDF)"
    void exportBatchSummary();        // "批次汇总(PDF)"
    void toggleTraversal() override;  // "曲线编历"
    void pickPoint();                 // "取点"
    void clearPicked();               // "清除"
    void printCurve() override;       // "曲线打印"

    // The X–Y chart's own tools.
    void pathZoomIn();
    void pathZoomOut();
    void raisePathLeftMaximum();
    void lowerPathLeftMaximum();
    void raisePathBottomMaximum();
    void lowerPathBottomMaximum();
    void printPath();
    void savePath();

protected:
    void showEvent(QShowEvent* event) override;
    QWidget* placeChartPanel(QWidget* panel) override;

private:
    void buildMenus();
    QWidget* buildPathPanel();
    void closeBatch() override;
    void setResult(std::unique_ptr<Ttest_result_HXGD> result);
    void fillGrids() override;
    void redraw() override;
    void redrawPath();
    ResultChart& currentPathChart();
    void rememberPathRangesBeforeZoom();
    void pathRectangle(const QRect& dragged);
    void pathMouseMove(QMouseEvent* event);

    std::unique_ptr<Ttest_result_HXGD> m_result;
    ResultChart m_idlePathChart;  // shown while there is no batch
    QTabWidget* m_pages = nullptr;
    ResultChartView* m_pathView = nullptr;
    QLabel* m_pathReadout = nullptr;
    ZoomUndo m_pathZoomUndo;
};

}  // namespace springtest
