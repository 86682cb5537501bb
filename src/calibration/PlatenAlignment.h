#pragma once

#include "platform/PeriodicTimer.h"

#include <QObject>

#include <atomic>
#include <cstdint>

class QTimer;

namespace springtest {

struct CardSlot;

enum class AlignmentStage : uint8_t { Idle = 0, Approaching = 1, Returning = 2 };

// Brings the platens together, zeroes the displacement at their contact and drives the crosshead back up to a
// working height, on one card. With a directly driven motor the sequence runs on a 1 ms periodic timer of its
// own, beside the acquisition thread that refreshes the values it reads and the GUI thread that may stop it;
// with a PID servo the servo closes the platens under load control and a 100 ms timer on the owner's thread
// watches for the contact.
//
// Every motion command goes through the motor channel, which accepts them from any thread. No lock is held
// across a command: a command may wait until the GUI thread has shown the motor's new state, and the GUI
// thread may be the one stopping the sequence. Instead each stage change is claimed on the stage itself, and
// a tick that finds the sequence stopped after one of its commands stops the crosshead again, so a "停止"
// that comes halfway through a tick is never undone by it. Start() and Stop() come from the owner's thread.
class PlatenAlignment : public QObject {
    Q_OBJECT
public:
    // Contact is a load of this share of the current gear's range …
    static constexpr float kContactShare = 0.005f;
    // … or a raw count beyond this, whatever the calibration makes of it.
    static constexpr int32_t kContactCount = 15000;
    // The servo closes the platens holding this share of the range.
    static constexpr float kServoHoldShare = 0.03f;
    static constexpr float kApproachSpeed_mm_per_min = 300.0f;
    static constexpr float kSlowApproachSpeed_mm_per_min = 100.0f;
    static constexpr float kReturnSpeed_mm_per_min = 300.0f;
    // Close enough below the return height to call it reached.
    static constexpr float kReturnTolerance_mm = 0.01f;
    // The operator-box input that asks for the slow approach.
    static constexpr uint8_t kSlowApproachInput = 8;

    // The card must have its load, displacement and motor channels. The 1 ms timer runs on `clock`.
    explicit PlatenAlignment(CardSlot& card, QObject* parent = nullptr,
                             TimerClock& clock = steadyTimerClock());
    ~PlatenAlignment() override;

    enum class StartResult { Started, DownRefused };
    // Sets the return height and starts the approach. DownRefused when the motor would not move down (a
    // lower limit or a tripped overload); nothing runs then.
    StartResult Start(float returnHeight_mm);
    // Ends the sequence in whatever stage it is and stops the crosshead.
    void Stop();

    // One step of the direct-drive sequence; the 1 ms timer calls it, a test may call it by hand.
    void AutoAlignTick();
    // One step of the servo sequence; the 100 ms timer calls it.
    void ServoTick();

    AlignmentStage stage() const { return m_stage.load(std::memory_order_acquire); }
    float returnHeight_mm() const { return m_returnHeight_mm.load(std::memory_order_relaxed); }
    bool running() const { return stage() != AlignmentStage::Idle; }
    bool servoDriven() const;
    // True while a stage runs with the crosshead no longer moving its way (a limit switch, a load trip or the
    // operator box stopped it): the sequence would wait for ever. Seen between ticks, never halfway through
    // one. From the owner's thread.
    bool stalled() const;

signals:
    // The sequence has ended, by reaching the return height or by Stop(). Emitted on the owner's thread.
    void finished();

private:
    void tick(bool slowApproachOnInput);
    void turnAtContact();
    void endAtReturnHeight(bool onOwnerThread);
    bool contact() const;
    void zeroAtContact();
    bool returnReached();
    bool stillIn(AlignmentStage stage) const { return m_stage.load(std::memory_order_acquire) == stage; }

    CardSlot& m_card;
    std::atomic<AlignmentStage> m_stage{AlignmentStage::Idle};
    std::atomic<float> m_returnHeight_mm{50.0f};
    // After the zeroing, the record may still show the position before it for a reading or two; the return
    // counts only once a reading below the return height has shown the zero.
    std::atomic<bool> m_zeroSeen{false};
    // Set while a tick is changing the stage and issuing its commands.
    std::atomic<bool> m_turning{false};
    QTimer* m_servoTimer = nullptr;  // the owner's thread only
    PeriodicTimer m_directTimer;     // last: its thread ends before the members the tick uses
};

}  // namespace springtest
