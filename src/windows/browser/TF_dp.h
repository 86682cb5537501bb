#pragma once

#include <memory>

#include "windows/browser/CurveBrowser.h"

class QMenu;

namespace springtest {

class Ttest_result;

// The result browser "数据处理": opens a batch database, lists its scheme and its stored tests, replays a
// test's curve, zooms and rescales it, follows it with a marker that reads values off it, picks values and
// shows the scheme's test points, deletes results and batch files, copies, saves and prints the curve
// picture and starts the spreadsheet exports. What is not about widgets is done by its Ttest_result, of
// which it holds at most one: the batch opened last, until all its results are deleted.
class TF_dp : public CurveBrowser {
    Q_OBJECT
public:
    // `loadUnits` and `displacementUnits` are those of card 0's channels: the load axis's title and the test
    // points' labels carry them. `opener` shows the exported workbooks.
    TF_dp(QString applicationFolder, QString loadUnits, QString displacementUnits, SpreadsheetOpener& opener,
          QWidget* parent = nullptr);
    ~TF_dp() override;

    Ttest_result* result() const { return m_result.get(); }

    // The menus' and buttons' commands.
    void openBatch();                              // "打开文件"
    void openReportNames();                        // "报表设置"
    void exportSelected();                         // "选择打印"
    void exportAll();                              // "批量打印"
    void exportReport(const QString& reportName);  // an entry under "报表打印"
    void exportPoints();                           // "采集数据导出"
    void showStatistics();                         // "批次统计"
    void exportResultsCsv();                       // "试验结果导出CSV"
    void exportCurveCsv();                         // "采集数据导出CSV": the current row's test
    void toggleTraversal() override;               // "曲线编历" / "编历结束"
    void pickPoint();                              // "取点"
    void clearPicked();                            // "清除"
    void showTestPoints();                         // "显示测试点"
    void printCurve() override;  // "曲线打印"; without a printer it offers the test's PDF certificate
    void exportCertificate();    // "试验证书(PDF)": the current row's test
    void exportBatchSummary();   // "批次汇总(PDF)"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildReportEntries();
    void closeBatch() override;

    // Takes the batch's object (or none), fills the grids from it and draws its chart.
    void setResult(std::unique_ptr<Ttest_result> result);
    void fillGrids() override;
    int currentSchemeStyle() const;

    QString m_displacementUnits;
    std::unique_ptr<Ttest_result> m_result;
    QMenu* m_reportMenu = nullptr;  // "报表打印"
};

}  // namespace springtest
