#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace springtest {

struct ConsoleContext;
struct CardSlot;

// The anti-roll bar fatigue test of machine type 6. The drive runs on relay 2 of the panel's card while the
// mains relay (1) is closed; cycles are counted on card 1's displacement, ten millimetres a cycle, and added
// to the count stored in the counter file "ini.init", so a test can be stopped and continued later. The test
// ends by itself at the target count, or when the bar breaks (the break-stop wire opens).
class ControlFatiguePage : public QWidget {
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString&)>;

    ControlFatiguePage(ConsoleContext& ctx, int card, StatusSink testStatus, QWidget* parent = nullptr);

    // Reads the counter file: the stored count and the target.
    void loadCounterFile();
    // One tick of the fatigue counter (`FatigueTimer`).
    void fatigueTick();

    static QString counterFilePath(const QString& applicationFolder);

private:
    CardSlot& card() const;
    CardSlot* counterCard() const;
    int cycles() const;
    float counterDisplacement() const;
    bool breakWireConnected() const;
    void setDriveRelay(bool on);
    void onStart();
    void onStop();
    void onClearCount();
    void onServoOutput(int value);

    ConsoleContext& m_ctx;
    const int m_card;
    StatusSink m_testStatus;

    int32_t m_target = 0;
    int32_t m_storedCount = 0;
    float m_lastCounter = 0.0f;
    int32_t m_ticks = 0;

    QToolButton* m_start = nullptr;
    QToolButton* m_stop = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_frequency = nullptr;
    QLineEdit* m_targetEdit = nullptr;
    QRadioButton* m_breakStop = nullptr;
    QScrollBar* m_servoBar = nullptr;
    QTimer* m_timer = nullptr;
};

}  // namespace springtest
