#pragma once

#include <QDialog>

#include "results/CurveArea.h"
#include "results/ResultChart.h"
#include "storage/Batch.h"
#include "windows/console/PlotScale.h"

class QLabel;
class QMenu;
class QMouseEvent;
class QTableWidget;
class QToolButton;

namespace springtest {

class BrowsedBatch;
class ResultChartView;
class SpreadsheetOpener;
struct ExportOutcome;

// What the result browsers of every machine share: a results grid and a scheme grid over a curve panel, the
// curve's zoom and scale tools, the marker's readout, deleting batch files and telling the operator how an
// export went; replaying and deleting the opened batch's tests. A browser adds its menus, its own commands
// on its batch and its exports.
class CurveBrowser : public QDialog {
    Q_OBJECT
public:
    ~CurveBrowser() override;

    ResultChartView* chartView() const { return m_chartView; }
    // What the chart shows: the batch's chart, or without a batch the window's own empty one.
    const ResultChart& chart() const;
    const AxisSteps& axisSteps() const { return m_steps; }

    void deleteBatchFile();  // "删除文件"
    void replayCurrent();    // double-click on the results grid
    void deleteCurrent();    // "删除数据"
    void deleteAll();        // "全部删除"
    void zoomIn();
    void zoomOut();
    void raiseLeftMaximum();
    void lowerLeftMaximum();
    void raiseBottomMaximum();
    void lowerBottomMaximum();
    void openCurveArea();                // "曲线范围设置调节"
    void copyCurve();                    // "复制曲线"
    void saveCurve();                    // "保存曲线图像"
    virtual void toggleTraversal() = 0;  // "曲线编历"
    virtual void printCurve() = 0;       // "曲线打印"

protected:
    // How the curve's tool bar looks: captions only, or icons beside them in groups.
    enum class ToolBarLook { Captions, IconsInGroups };

    // Batches are opened from and deleted in the folder where every window and command keeps those of `kind`.
    CurveBrowser(QString applicationFolder, QString loadUnits, BatchKind kind, SpreadsheetOpener& opener,
                 QWidget* parent);
    // Below the menu bar the browser has made: the grids over the curve panel.
    void layOutGridsAndChart(ToolBarLook look);
    // Where the curve panel goes below the grids: the panel itself, or a widget that holds it beside other
    // charts (a page of tabs).
    virtual QWidget* placeChartPanel(QWidget* panel) { return panel; }

    // The batch file the operator chooses to open; empty when cancelled or when it is gone (said then).
    QString chooseBatchToOpen();
    // The browser now works on `batch` (none: it shows its own empty chart), which the machine's window
    // owns and keeps until it calls this again; the batch's chart keeps the axes and titles `shown` so far,
    // with nothing to undo and no chart menu.
    void showBatch(BrowsedBatch* batch, const ResultChart& shown);
    // Fills the grids from the batch's rows, the first rows current.
    virtual void fillGrids() = 0;
    // Lets the batch go, as when the window is opened without one.
    virtual void closeBatch() = 0;
    // The settings a new showing reads again: the axis steps and the load axis's title.
    void readChartSettings();
    ResultChart& currentChart();
    // Draws everything the browser shows of the batch; a browser with more than one chart draws them all.
    virtual void redraw();
    void redrawAxes();
    void showOutcome(const ExportOutcome& outcome);
    int currentResultRow() const;

    const QString m_applicationFolder;
    const QString m_loadUnits;
    SpreadsheetOpener& m_opener;
    ResultChart m_idleChart;  // shown while there is no batch
    AxisSteps m_steps;

    QMenu* m_resultMenu = nullptr;  // bsSkinPopupMenu1
    QMenu* m_chartMenu = nullptr;   // bsSkinPopupMenu2
    QTableWidget* m_resultGrid = nullptr;
    QTableWidget* m_schemeGrid = nullptr;
    ResultChartView* m_chartView = nullptr;
    QToolButton* m_traversalButton = nullptr;

private:
    QWidget* buildGrids();
    QWidget* buildChartPanel(ToolBarLook look);
    QToolButton* addTool(QWidget* bar, const QString& name, const QString& hint, ToolBarLook look,
                         void (CurveBrowser::*command)());
    // Every zoom, by button or by rectangle, keeps the ranges an undo returns to: those before the first.
    void rememberRangesBeforeZoom();
    void chartRectangle(const QRect& dragged);
    void chartMouseMove(QMouseEvent* event);
    void resultGridMenu(const QPoint& at);

    const QString m_batchFolder;
    BrowsedBatch* m_batch = nullptr;  // the batch the browser has open, while there is one
    ZoomUndo m_zoomUndo;
    QLabel* m_readout = nullptr;
};

}  // namespace springtest
