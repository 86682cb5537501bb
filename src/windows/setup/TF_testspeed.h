#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace springtest {

class TTestStyle;

// "速度设置": the test speed, constant ("匀速") or slowing down before each point ("变速"). Hands the
// choice to the sequencer on "确定"; stores nothing. Each opening starts from the designed values.
class TF_testspeed : public QDialog {
    Q_OBJECT
public:
    explicit TF_testspeed(TTestStyle& sequencer, QWidget* parent = nullptr);

    // "确定": sets speed and speed mode and closes; a speed that is no number is reported and nothing
    // changes.
    void confirm();

private:
    TTestStyle& m_sequencer;
    QRadioButton* m_constant = nullptr;
    QRadioButton* m_variable = nullptr;
    QLineEdit* m_constantSpeed = nullptr;
    QLineEdit* m_variableSpeed = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace springtest
