#pragma once

#include <memory>

#include "windows/browser/CurveBrowser.h"

namespace springtest {

class Ttest_result_gbth;

// The leaf-spring result browser "数据处理": opens a leaf-spring batch, lists its scheme and stored tests,
// replays a test's curve, follows it with a marker that reads the load, the deformation and the secant
// stiffness off it, deletes results and batch files, copies, saves and prints the curve picture, exports a
// test's curve samples and makes a test's record ("报表打印"). What is not about widgets is done by its
// Ttest_result_gbth.
class TF_dp_gbth : public CurveBrowser {
    Q_OBJECT
public:
    // `loadUnits` is card 0's load unit, for the load axis's title.
    TF_dp_gbth(QString applicationFolder, QString loadUnits, SpreadsheetOpener& opener,
               QWidget* parent = nullptr);
    ~TF_dp_gbth() override;

    Ttest_result_gbth* result() const { return m_result.get(); }

    void openBatch();                 // "打开文件"
    void exportRecord();              // "报表打印"
    void exportPoints();              // "采集数据点导出"
    void toggleTraversal() override;  // "曲线编历"
    void pickPoint();                 // "取点"
    void clearPicked();               // "清除"
    void printCurve() override;       // "曲线打印"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void closeBatch() override;
    void setResult(std::unique_ptr<Ttest_result_gbth> result);
    void fillGrids() override;

    std::unique_ptr<Ttest_result_gbth> m_result;
};

}  // namespace springtest
