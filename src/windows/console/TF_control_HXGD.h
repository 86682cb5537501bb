#pragma once

#include "platform/WindowTarget.h"
#include "windows/console/ControlPanel.h"

#include <QString>

#include <array>
#include <functional>
#include <utility>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QToolButton;

namespace springtest {

struct CardSlot;
struct ConsoleContext;
class ControlResultGrid;
class OverloadRecorder;

// The control panel of the lateral machine: jogs its three drives (the axial drive of card 0, the lateral
// drive of card 1, the turntable of card 2) at a chosen speed, starts and stops axial and lateral tests and
// shows each captured point with X, Y and the offset, shows the stored test's final offset and its angle,
// and turns the turntable so that the offset points to 0°, by hand or after every stored axial test.
class TF_control_HXGD : public ControlPanel {
    Q_OBJECT
public:
    // The drive pages, each the motor of the card with its index.
    enum class Drive { Axial = 0, Lateral = 1, Turntable = 2 };
    static constexpr int kDrives = 3;
    // Kind items of `bsSkinRadioGroup1`.
    static constexpr int kLateralItem = 0;
    static constexpr int kAxialItem = 1;
    // Above this load on card 0 the turntable does not turn: it would twist a loaded spring.
    static constexpr float kMostAxialLoadForTurning = 0.05f;
    static constexpr int kWidth_px = 620;

    explicit TF_control_HXGD(ConsoleContext& ctx, QWidget* parent = nullptr);
    ~TF_control_HXGD() override;

    WindowTarget* overloadTarget() override { return &m_overloadTarget; }
    WindowTarget* motorStateTarget() override { return &m_motorStateTarget; }
    WindowTarget* testStateTarget() override { return &m_testStateTarget; }
    ResultGrid* resultGrid() override;

    // Whether the lateral data panel is open: a lateral test does not start without it. The main window
    // tells; until then it counts as closed.
    void setLateralPanelOpen(std::function<bool()> isOpen) { m_lateralPanelOpen = std::move(isOpen); }

private:
    struct DrivePage {
        QLabel* speedShow = nullptr;
        QScrollBar* speedBar = nullptr;
        QLabel* speedMin = nullptr;
        QLabel* speedMax = nullptr;
        std::array<QToolButton*, 15> speedButtons{};
    };

    CardSlot* card(int index) const;
    Drive activeDrive() const;
    void buildWindow();
    QWidget* buildManualPage();
    QWidget* buildDrivePage(Drive drive);
    QWidget* buildProgramPage();
    QWidget* buildResultPage();
    void FormShow();

    void onUp();
    void onDown();
    void move(bool up);
    void onStop();
    void onDrivePage(int page);
    void onSpeedButton(Drive drive, int index);
    void onSpeedBar(Drive drive);
    void onTestStart();
    void onTestStop();
    void onKindItem();
    void onAutoRotate(bool on);
    void onTurntablePositioning();

    void onOverload();
    void onMotorState();
    void onTestState();
    void showCapturedPoint();
    void showStoring();
    void showStoredOffset();

    void setMotorStatus(const QString& text);
    void setTestStatus(const QString& text);
    // A message that must not hold up whoever reported: the acquisition thread may be waiting for the
    // handler.
    void tellLater(const QString& message);

    ConsoleContext& m_ctx;
    WindowTarget m_overloadTarget{[this](int) { onOverload(); }};
    WindowTarget m_motorStateTarget{[this](int) { onMotorState(); }};
    WindowTarget m_testStateTarget{[this](int) { onTestState(); }};
    OverloadRecorder* m_overloadLog = nullptr;
    std::function<bool()> m_lateralPanelOpen;

    QTabWidget* m_pages = nullptr;
    QTabWidget* m_drivePages = nullptr;
    QToolButton* m_upButton = nullptr;
    QToolButton* m_stopButton = nullptr;
    QToolButton* m_downButton = nullptr;
    std::array<DrivePage, kDrives> m_drives{};

    QToolButton* m_testStart = nullptr;
    QToolButton* m_testStop = nullptr;
    ControlResultGrid* m_grid = nullptr;
    QGroupBox* m_kindGroup = nullptr;
    std::array<QRadioButton*, 2> m_kindItems{};  // "横向", "轴向"

    QLabel* m_x = nullptr;
    QLabel* m_y = nullptr;
    QLabel* m_offset = nullptr;
    QLabel* m_angle = nullptr;
    QToolButton* m_positionTurntable = nullptr;
    QCheckBox* m_autoRotate = nullptr;

    QLabel* m_motorStatus = nullptr;
    QLabel* m_testStatus = nullptr;
};

}  // namespace springtest
