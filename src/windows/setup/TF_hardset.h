#pragma once

#include "session/HardwareSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace springtest {

// "硬件设置": the hardware description in "init.ini" (machine style, card, gears and their amplifier,
// overload proportion, gear change, encoder and lead screw, signal directions). The running channels do
// not read this file; after saving the operator is asked to restart.
class TF_hardset : public QDialog {
    Q_OBJECT
public:
    explicit TF_hardset(const QString& applicationFolder, QWidget* parent = nullptr);

    // "保存": asks first; No keeps the window open with its changes, and so does a failed write. True once
    // saved (the window then closes).
    bool save();
    // "关闭": unsaved changes are offered for saving first.
    void closeWindow();
    // "自动转换": the displacement coefficient from encoder pulses and screw pitch.
    void convertCoefficient();

private:
    void buildLayout();
    void fill(const HardwareSettings& settings);
    HardwareSettings collect() const;
    void markChanged();
    void checkOverloadProportion();
    void showAutoGear();
    // Brings the field of an init.ini key into view and gives it the focus.
    void showField(const QString& key);

    QString m_applicationFolder;
    HardwareSettings m_read;  // as the file held it when the window opened
    QComboBox* m_loadMax = nullptr;
    QComboBox* m_loadUnits = nullptr;
    QComboBox* m_gearCount = nullptr;
    QComboBox* m_cardName = nullptr;
    QComboBox* m_machineStyle = nullptr;
    QLineEdit* m_coderPulse = nullptr;
    QLineEdit* m_screwPitch = nullptr;
    QLineEdit* m_displacementCoefficient = nullptr;
    QComboBox* m_displacementDecimals = nullptr;
    QPushButton* m_convert = nullptr;
    QComboBox* m_magnification[kHardwareGears] = {};
    QComboBox* m_gearDecimals[kHardwareGears] = {};
    QLineEdit* m_overloadProportion = nullptr;
    QCheckBox* m_loadReversed = nullptr;
    QCheckBox* m_displacementReversed = nullptr;
    QCheckBox* m_motorReversed = nullptr;
    QRadioButton* m_manualGear = nullptr;
    QRadioButton* m_autoGear = nullptr;
    QComboBox* m_gearChangePercent = nullptr;
    QLabel* m_gearChangeBefore = nullptr;
    QLabel* m_gearChangeAfter = nullptr;
    QLineEdit* m_zeroDifference = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace springtest
