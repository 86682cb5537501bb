#pragma once

#include "platform/WindowTarget.h"
#include "windows/console/ControlPanel.h"

#include <array>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QToolButton;

namespace springtest {

struct CardSlot;
class OverloadRecorder;
struct ConsoleContext;
class ControlFatiguePage;
class ControlHydraulicsPage;
class ControlPidPage;
class ControlResultGrid;
class ResultGrid;

// The operator's control panel of the standard machines: moves the crosshead by hand at a chosen speed,
// starts and stops tests and shows each captured point with its verdict, reports the motor state and the
// test state, and carries the machine type's extra pages (hydraulics and closed loop on types 2 and 3, the
// fatigue test on type 6).
class TF_control : public ControlPanel {
    Q_OBJECT
public:
    TF_control(ConsoleContext& ctx, int card, QWidget* parent = nullptr);
    ~TF_control() override;

    // Receive the load channel's overload message, the motor channel's state message and the sequencer's
    // test-state message.
    WindowTarget* overloadTarget() override { return &m_overloadTarget; }
    WindowTarget* motorStateTarget() override { return &m_motorStateTarget; }
    WindowTarget* testStateTarget() override { return &m_testStateTarget; }
    // The grid the scheme loader lays out (`bsSkinStringGrid1`).
    ResultGrid* resultGrid() override;
    int card() const { return m_card; }

private:
    CardSlot& slot() const;
    void buildWindow();
    QWidget* buildManualPage();
    QWidget* buildProgramPage();
    void FormShow();

    void onUp();
    void onDown();
    void onStop();
    void onSpeedButton(int index);
    void onSpeedBar();
    void onTestStart();
    void onTestStop();
    void onDirectionItem();

    void onOverload();
    void onMotorState();
    void onTestState();
    void showCapturedPoint();
    void showStoring();

    void setMotorStatus(const QString& text);
    void setTestStatus(const QString& text);

    ConsoleContext& m_ctx;
    const int m_card;
    WindowTarget m_overloadTarget{[this](int) { onOverload(); }};
    WindowTarget m_motorStateTarget{[this](int) { onMotorState(); }};
    WindowTarget m_testStateTarget{[this](int) { onTestState(); }};
    OverloadRecorder* m_overloadLog = nullptr;

    QTabWidget* m_pages = nullptr;
    QToolButton* m_upButton = nullptr;
    QToolButton* m_stopButton = nullptr;
    QToolButton* m_downButton = nullptr;
    QLabel* m_speedShow = nullptr;
    QScrollBar* m_speedBar = nullptr;
    QLabel* m_speedMin = nullptr;
    QLabel* m_speedMax = nullptr;
    std::array<QToolButton*, 15> m_speedButtons{};

    QToolButton* m_testStart = nullptr;
    QToolButton* m_testStop = nullptr;
    ControlResultGrid* m_grid = nullptr;
    QLabel* m_springHeight = nullptr;
    QList<QWidget*> m_springHeightRow;
    QList<QWidget*> m_precompressRow;
    QComboBox* m_precompress = nullptr;
    QGroupBox* m_directionGroup = nullptr;
    std::array<QRadioButton*, 2> m_directionItems{};  // "拉向", "压向"

    ControlHydraulicsPage* m_hydraulics = nullptr;
    ControlPidPage* m_pid = nullptr;
    ControlFatiguePage* m_fatigue = nullptr;

    QLabel* m_motorStatus = nullptr;
    QLabel* m_testStatus = nullptr;
};

}  // namespace springtest
