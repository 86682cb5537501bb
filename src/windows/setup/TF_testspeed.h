#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace springtest {

class TTestStyle;

// "速度设置": the test speed, constant ("匀速") or slowing down before each point ("变速"), handed to the
// sequencer on "确定" and not stored; each opening starts from the designed values. Beside them the switch
// of the full-rate curve, which shows the sequencer's setting and, changed, is kept in the machine
// configuration of `applicationFolder` (through the audit trail) for the next start too; without a folder
// it reaches the sequencer only.
class TF_testspeed : public QDialog {
    Q_OBJECT
public:
    explicit TF_testspeed(TTestStyle& sequencer, QWidget* parent = nullptr);
    TF_testspeed(TTestStyle& sequencer, QString applicationFolder, QWidget* parent = nullptr);

    // "确定": sets speed, speed mode and the full-rate curve and closes; a speed that is no number, or a
    // switch that cannot be saved, is reported and nothing changes.
    void confirm();

private:
    TTestStyle& m_sequencer;
    QRadioButton* m_constant = nullptr;
    QRadioButton* m_variable = nullptr;
    QLineEdit* m_constantSpeed = nullptr;
    QLineEdit* m_variableSpeed = nullptr;
    QString m_applicationFolder;
    QCheckBox* m_fullRate = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace springtest
