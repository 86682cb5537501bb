#pragma once

#include "measurement/TPassage.h"

#include "platform/WindowTarget.h"

#include <QObject>

#include <array>
#include <atomic>
#include <functional>
#include <mutex>

class QTimer;

namespace springtest {

class WindowTarget;

enum class MotionState : uint8_t {
    Up = 0,
    Down = 1,
    Stopped = 2,
    AtUpperLimit = 3,
    AtLowerLimit = 4,
    BlockedByOverload = 5,
    TestRequested = 6,
};

enum class ControlMode : uint8_t { Direct = 0, PidServo = 1, StepMotor = 2 };

// The six gains of the servo block, as the tuning window sets them one by one.
enum class PidGain : uint8_t { DisplacementP, DisplacementI, DisplacementD, LoadP, LoadI, LoadD };

// Operator-box codes, in the order the input is compared with the switch values.
enum class PendantCode : int {
    Stop = 0,
    Up = 1,
    Down = 2,
    Test = 3,
    Upper = 4,
    UpperUp = 5,
    UpperDown = 6,
    Low = 8,
    LowUp = 9,
    LowDown = 10
};

// The operator box's latch, which makes a held key one command.
enum class PendantLatch : uint8_t {
    KeyTaken = 0,  // a key press was acted on; the next one waits until the keys are released
    Armed = 1,     // the next key press is acted on
    Ignored = 2,   // a test runs: neither the keys nor the limit switches stop the crosshead behind its back
};

// The two-way drives of the hydraulic machines, each switched by a pair of relays, and where each is sent.
enum class HydraulicDrive { MainCylinder, Crossbeam, LowerCylinder };
enum class CylinderMotion { Up, Stop, Down };

// The servo valve's PID controller (control mode 1). Set points are in hundredths of a millimetre for
// displacement and load units for load.
struct ServoBlock {
    double loadKp = 0, loadKi = 0, loadKd = 0;
    double dispKp = 0, dispKi = 0, dispKd = 0;
    double setPoint = 0;
    float e0 = 0, e1 = 0, e2 = 0, de = 0, d2e = 0;
    uint16_t output = 0;
    float p = 0, i = 0, d = 0;
    uint8_t pidMode = 1;  // 1 hold displacement, 2 hold load, 3 displacement ramp
    int32_t valveZero = 2048;
    float rampStart = 0, rampRate = 0;
    int32_t accumulator = 0;
    int32_t upper = 500, low = -500;
};

// The motor channel: drives the crosshead of one card directly, through a PID servo valve or as a step motor;
// keeps the motion state, refuses motion toward a tripped overload, watches the operator box and the limit
// switches, and drives the relays. Its timers live on the GUI thread; every command is safe from any thread
// (a timer start or stop asked elsewhere is posted to the GUI thread).
class TMotor : public QObject, public TPassage {
    Q_OBJECT
public:
    TMotor(const QString& applicationFolder, int cardIndex, const CardDriver& driver, CardSlot* slot,
           QObject* parent = nullptr);
    ~TMotor() override;

    void SetSpeed(float speed_mm_per_min);
    bool CommandUp();
    bool CommandDown();
    void CommandStop();
    // Stops when `stillDue` says so, asked under the command lock: a command another thread gave before
    // this one is seen by it, one given after wins. Returns whether it stopped.
    bool CommandStopIf(const std::function<bool()>& stillDue);
    bool MoveDirection(int dir);

    void RampDisplacement(float rate_mm_per_min);
    void HoldDisplacement(float displacement_mm);
    void HoldLoad(float load);
    void StopPid();
    int32_t PidStep(double measured);
    void PidTick();
    void StepRampTick();

    void SetServoOutput(int32_t value);
    void SetRelay(int position, uint8_t value);
    uint8_t GetRelay(int position) const;
    void ClearRelays();
    void StartOutput();

    // The relays by what they switch on these machines. Relay 1 is the mains contactor of machine type 6 and
    // of the fatigue machine, and the oil pump of the hydraulic machines; relay 2 the fatigue drive; relay 4
    // the relief valve; relays 2 and 3, 5 and 6, 7 and 8 the up and down valves of the main cylinder, the
    // crossbeam and the lower cylinder.
    void setMainsPower(bool on);
    bool mainsPowerOn() const;
    void setOilPump(bool on);
    bool oilPumpOn() const;
    void setFatigueDrive(bool on);
    bool fatigueDriveOn() const;
    void setReliefValve(bool on);
    bool reliefValveOn() const;
    // Both valves of the drive change in one write: up and down are never open together, not even for the
    // moment between two writes.
    void moveHydraulicDrive(HydraulicDrive drive, CylinderMotion motion);
    CylinderMotion hydraulicDriveMotion(HydraulicDrive drive) const;

    void StartPendantMonitor();
    void StartLimitMonitor();
    void PendantTick();
    void LimitTick();
    void SetPendantLatch(PendantLatch latch) { m_latch.store(latch, std::memory_order_relaxed); }
    PendantLatch pendantLatch() const { return m_latch.load(std::memory_order_relaxed); }
    // The operator-box code an input means, or -1 when it matches no switch value.
    int MapInput(uint8_t input) const;

    MotionState state() const { return static_cast<MotionState>(m_state.load(std::memory_order_relaxed)); }
    float speed() const { return m_speed.load(std::memory_order_relaxed); }
    ControlMode controlMode() const { return m_controlMode; }
    bool manualControl() const { return m_manualControl; }
    uint8_t lastInput() const { return m_lastInput.load(std::memory_order_relaxed); }
    float rampSpeed() const { return m_rampSpeed.load(std::memory_order_relaxed); }
    int rampCounter() const { return m_rampCounter.load(std::memory_order_relaxed); }
    int32_t manualOutput() const { return m_manualOutput.load(std::memory_order_relaxed); }
    ServoBlock servo() const;
    // The valve zero and the accumulator's limits, as the operator sets them on the PID page.
    void SetValveSettings(int32_t valveZero, int32_t upper, int32_t low);
    // Acts from the controller's next step.
    void SetPidGain(PidGain gain, double value);
    bool pidTimerActive() const { return m_pidEnabled.load(std::memory_order_relaxed); }
    bool stepRampActive() const { return m_rampEnabled.load(std::memory_order_relaxed); }

    void setStateTarget(WindowTarget* t) { m_stateTarget.store(t, std::memory_order_release); }

private:
    void LoadMotorConfig();
    void setState(MotionState s) { m_state.store(static_cast<uint8_t>(s), std::memory_order_relaxed); }
    void notifyState();
    void stepStart(float threshold);
    float servoRampRate(MotionState s, float speed_mm_per_min) const;
    void setRelayClosed(int position, bool closed);
    bool relayClosed(int position) const;
    void writeRelaysLocked();
    void clearServoLocked();
    int32_t pidStepLocked(double measured);
    void syncPidTimer();
    void syncRampTimer();
    void startPidTimer();
    void startRampTimer();
    void stopRampTimer();
    bool upBlocked() const;
    bool downBlocked() const;
    bool loadDisarmed() const;
    float currentDisplacement() const;
    float currentLoad() const;

    std::atomic<float> m_speed{0.0f};
    std::atomic<uint8_t> m_lastInput{0};
    std::atomic<uint8_t> m_state{static_cast<uint8_t>(MotionState::Stopped)};
    ControlMode m_controlMode = ControlMode::Direct;
    std::atomic<PendantLatch> m_latch{PendantLatch::KeyTaken};
    bool m_manualControl = false;
    float m_stepMotorSpeed = 1.0f;
    float m_stepMotorMinSpeed = 1.0f;
    // In the order MapInput compares them: Up, Down, Stop, Test, Upper, UpperUp, UpperDown, Low, LowUp,
    // LowDown. Kept as read, so a value that no byte can take never matches.
    std::array<int, 10> m_switchValues{1, 2, 0, 3, 4, 5, 6, 8, 9, 10};

    // Serialises the motion commands: an overload stop from the acquisition thread must not interleave with
    // a start from the GUI thread (state set, then the other thread's driver call, then this one's).
    // Never held while a message is sent.
    std::mutex m_commandMutex;

    mutable std::mutex m_servoMutex;
    ServoBlock m_servo;
    std::atomic<bool> m_pidEnabled{false};

    std::atomic<int> m_rampCounter{0};
    int m_rampLength = 30;
    std::atomic<float> m_rampSpeed{0.0f};
    std::atomic<bool> m_rampEnabled{false};

    mutable std::mutex m_relayMutex;
    std::array<uint8_t, 8> m_relays{};
    std::atomic<int32_t> m_manualOutput{0};

    QTimer* m_pidTimer = nullptr;
    QTimer* m_rampTimer = nullptr;
    QTimer* m_pendantTimer = nullptr;
    QTimer* m_limitTimer = nullptr;

    std::atomic<WindowTarget*> m_stateTarget{nullptr};
    ThreadCourier m_courier{this};  // timer starts and stops asked from other threads
};

}  // namespace springtest
