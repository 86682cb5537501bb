#pragma once

#include <QDialog>
#include <memory>

#include "results/CurveArea.h"
#include "results/ResultChart.h"
#include "windows/console/PlotScale.h"

class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class QTableWidget;
class QToolButton;

namespace springtest {

class ResultChartView;
class SpreadsheetOpener;
class Ttest_result;
struct ExportOutcome;

// The result browser "数据处理": opens a batch database, lists its scheme and its stored tests, replays a
// test's curve, zooms and rescales it, follows it with a marker that reads values off it, picks values and
// shows the scheme's test points, deletes results and batch files, copies, saves and prints the curve
// picture and starts the spreadsheet exports. What is not about widgets is done by its Ttest_result, of
// which it holds at most one: the batch opened last, until all its results are deleted.
class TF_dp : public QDialog {
    Q_OBJECT
public:
    // `loadUnits` and `displacementUnits` are those of card 0's channels: the load axis's title and the test
    // points' labels carry them. `opener` shows the exported workbooks.
    TF_dp(QString applicationFolder, QString loadUnits, QString displacementUnits, SpreadsheetOpener& opener,
          QWidget* parent = nullptr);
    ~TF_dp() override;

    Ttest_result* result() const { return m_result.get(); }
    ResultChartView* chartView() const { return m_chartView; }
    // What the chart shows: the batch's chart, or without a batch the window's own empty one.
    const ResultChart& chart() const;
    const AxisSteps& axisSteps() const { return m_steps; }

    // The menus' and buttons' commands.
    void openBatch();                              // "打开文件"
    void deleteBatchFile();                        // "删除文件"
    void openReportNames();                        // "报表设置"
    void exportSelected();                         // "选择打印"
    void exportAll();                              // "批量打印"
    void exportReport(const QString& reportName);  // an entry under "报表打印"
    void exportPoints();                           // "采集数据导出"
    void showStatistics();                         // "批次统计"
    void exportResultsCsv();                       // "试验结果导出CSV"
    void exportCurveCsv();                         // "采集数据导出CSV": the current row's test
    void replayCurrent();                          // double-click on the results grid
    void deleteCurrent();                          // "删除数据"
    void deleteAll();                              // "全部删除"
    void zoomIn();
    void zoomOut();
    void raiseLeftMaximum();
    void lowerLeftMaximum();
    void raiseBottomMaximum();
    void lowerBottomMaximum();
    void openCurveArea();       // "曲线范围设置调节"
    void toggleTraversal();     // "曲线编历" / "编历结束"
    void pickPoint();           // "取点"
    void clearPicked();         // "清除"
    void showTestPoints();      // "显示测试点"
    void copyCurve();           // "复制曲线"
    void saveCurve();           // "保存曲线图像"
    void printCurve();          // "曲线打印"; without a printer it offers the test's PDF certificate
    void exportCertificate();   // "试验证书(PDF)": the current row's test
    void exportBatchSummary();  // "批次汇总(PDF)"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    QWidget* buildGrids();
    QWidget* buildChartPanel();
    QToolButton* addTool(QWidget* bar, const QString& name, const QString& hint, void (TF_dp::*command)());
    void buildReportEntries();

    // Takes the batch's object (or none), fills the grids from it and draws its chart.
    void setResult(std::unique_ptr<Ttest_result> result);
    void fillGrids();
    ResultChart& currentChart();
    void redraw();
    void redrawAxes();
    // Every zoom, by button or by rectangle, keeps the ranges an undo returns to: those before the first.
    void rememberRangesBeforeZoom();
    void chartRectangle(const QRect& dragged);
    void chartMouseMove(QMouseEvent* event);
    void resultGridMenu(const QPoint& at);
    int currentResultRow() const;
    int currentSchemeStyle() const;
    void showOutcome(const ExportOutcome& outcome);

    QString m_applicationFolder;
    QString m_loadUnits;
    QString m_displacementUnits;
    SpreadsheetOpener& m_opener;
    std::unique_ptr<Ttest_result> m_result;
    ResultChart m_idleChart;  // shown while there is no batch
    AxisSteps m_steps;
    ZoomUndo m_zoomUndo;

    QMenu* m_reportMenu = nullptr;  // "报表打印"
    QMenu* m_resultMenu = nullptr;  // bsSkinPopupMenu1
    QMenu* m_chartMenu = nullptr;   // bsSkinPopupMenu2
    QTableWidget* m_resultGrid = nullptr;
    QTableWidget* m_schemeGrid = nullptr;
    ResultChartView* m_chartView = nullptr;
    QToolButton* m_traversalButton = nullptr;
    QLabel* m_readout = nullptr;
};

}  // namespace springtest
