#pragma once

#include <QDialog>
#include <array>

#include "results/CurveArea.h"
#include "results/ResultChart.h"

class QComboBox;
class QGridLayout;

namespace springtest {

// "曲线范围": the visible ranges of a result browser's chart and the amounts by which its axis buttons move
// a maximum, typed by the operator. "确定" applies them to the browser's chart and steps, stores the steps in
// "init.ini" and closes; the browser redraws afterwards.
class TFcurve_area : public QDialog {
    Q_OBJECT
public:
    TFcurve_area(QString applicationFolder, ResultChart& chart, AxisSteps& steps, QWidget* parent = nullptr);

    void confirm();  // "确定"

private:
    QComboBox* addField(QGridLayout* grid, int row, int column, const char* name, const QStringList& items);

    QString m_applicationFolder;
    ResultChart& m_chart;
    AxisSteps& m_steps;
    std::array<QComboBox*, 6> m_fields{};  // ComboBox1 … ComboBox6
};

}  // namespace springtest
