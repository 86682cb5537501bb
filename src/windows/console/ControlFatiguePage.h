#pragma once

#include "sequencer/FatigueTest.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace springtest {

struct ConsoleContext;

// The page of the anti-roll bar fatigue test of machine type 6: start, stop and the count, the frequency,
// the target, break stop and the servo speed, over the FatigueTest that drives and counts.
class ControlFatiguePage : public QWidget {
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString&)>;

    ControlFatiguePage(ConsoleContext& ctx, int card, StatusSink testStatus, QWidget* parent = nullptr);

    // Shows the count and the target kept in the counter file.
    void loadCounterFile();
    // One tick of the fatigue counter (`FatigueTimer`).
    void fatigueTick();

    const FatigueTest& test() const { return m_test; }

private:
    void onStart();
    void onStop();
    void onClearCount();

    FatigueTest m_test;
    StatusSink m_testStatus;

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
