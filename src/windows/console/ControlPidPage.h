#pragma once

#include <QWidget>

class QCheckBox;
class QCustomPlot;
class QLineEdit;

namespace springtest {

struct ConsoleContext;
class TMotor;

// The closed-loop page of the hydraulic machines (types 2 and 3): hold a displacement or a load, move at a
// constant rate, stop the loop, and set the servo valve's zero and the loop's output limits.
class ControlPidPage : public QWidget {
    Q_OBJECT
public:
    ControlPidPage(ConsoleContext& ctx, int card, QWidget* parent = nullptr);

    // Shows the valve settings the motor channel works with.
    void showValveSettings();

private:
    TMotor* motor() const;
    QCustomPlot* liveChart() const;
    void onHoldDisplacement();
    void onHoldLoad();
    void onRamp();
    void onStop();
    void onValveSettings();
    void onCharacteristicCurve();

    ConsoleContext& m_ctx;
    const int m_card;
    QLineEdit* m_displacementTarget = nullptr;
    QLineEdit* m_loadTarget = nullptr;
    QLineEdit* m_rampRate = nullptr;
    QLineEdit* m_valveZero = nullptr;
    QLineEdit* m_upper = nullptr;
    QLineEdit* m_low = nullptr;
    QCheckBox* m_characteristicCurve = nullptr;
};

}  // namespace springtest
