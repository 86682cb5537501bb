#pragma once

#include <QDialog>
#include <memory>

#include "results/CurveArea.h"
#include "results/ResultChart.h"
#include "windows/console/PlotScale.h"

class QMenu;
class QMouseEvent;
class QLabel;
class QTableWidget;
class QToolButton;

namespace springtest {

class ResultChartView;
class SpreadsheetOpener;
class Ttest_result_gbth;
struct ExportOutcome;

// The leaf-spring result browser "数据处理": opens a leaf-spring batch, lists its scheme and stored tests,
// replays a test's curve, follows it with a marker that reads the load, the deformation and the secant
// stiffness off it, deletes results and batch files, copies, saves and prints the curve picture, exports a
// test's curve samples and makes a test's record ("报表打印"). What is not about widgets is done by its
// Ttest_result_gbth.
class TF_dp_gbth : public QDialog {
    Q_OBJECT
public:
    // `loadUnits` is card 0's load unit, for the load axis's title.
    TF_dp_gbth(QString applicationFolder, QString loadUnits, SpreadsheetOpener& opener,
               QWidget* parent = nullptr);
    ~TF_dp_gbth() override;

    Ttest_result_gbth* result() const { return m_result.get(); }
    ResultChartView* chartView() const { return m_chartView; }
    const ResultChart& chart() const;

    void openBatch();        // "打开文件"
    void deleteBatchFile();  // "删除文件"
    void exportRecord();     // "报表打印"
    void exportPoints();     // "采集数据点导出"
    void replayCurrent();    // double-click on the results grid
    void deleteCurrent();    // "删除数据"
    void deleteAll();        // "全部删除"
    void zoomIn();
    void zoomOut();
    void raiseLeftMaximum();
    void lowerLeftMaximum();
    void raiseBottomMaximum();
    void lowerBottomMaximum();
    void openCurveArea();    // "曲线范围设置调节"
    void toggleTraversal();  // "曲线编历"
    void pickPoint();        // "取点"
    void clearPicked();      // "清除"
    void copyCurve();        // "复制曲线"
    void saveCurve();        // "保存曲线图像"
    void printCurve();       // "曲线打印"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    QWidget* buildGrids();
    QWidget* buildChartPanel();
    QToolButton* addTool(QWidget* bar, const QString& name, const QString& hint,
                         void (TF_dp_gbth::*command)());
    void setResult(std::unique_ptr<Ttest_result_gbth> result);
    void fillGrids();
    ResultChart& currentChart();
    void redraw();
    void redrawAxes();
    void rememberRangesBeforeZoom();
    void chartRectangle(const QRect& dragged);
    void chartMouseMove(QMouseEvent* event);
    void resultGridMenu(const QPoint& at);
    int currentResultRow() const;
    void showOutcome(const ExportOutcome& outcome);

    QString m_applicationFolder;
    QString m_loadUnits;
    SpreadsheetOpener& m_opener;
    std::unique_ptr<Ttest_result_gbth> m_result;
    ResultChart m_idleChart;
    AxisSteps m_steps;
    ZoomUndo m_zoomUndo;

    QMenu* m_resultMenu = nullptr;  // bsSkinPopupMenu1
    QMenu* m_chartMenu = nullptr;   // bsSkinPopupMenu2
    QTableWidget* m_resultGrid = nullptr;
    QTableWidget* m_schemeGrid = nullptr;
    ResultChartView* m_chartView = nullptr;
    QToolButton* m_traversalButton = nullptr;
    QLabel* m_readout = nullptr;
};

}  // namespace springtest
