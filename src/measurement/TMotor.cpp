#include "measurement/TMotor.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/ProfileFile.h"
#include "platform/SteadyClock.h"
#include "platform/WindowTarget.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace springtest {

namespace {

constexpr int kPidInterval_ms = 10;
constexpr int kStepRampInterval_ms = 50;
constexpr int kMonitorInterval_ms = 50;
// The ramp never asks a step motor for more than this, whatever the set speed.
constexpr double kStepRampCeiling = 500.0;
// Below this a ramp does not start lower than the speed it already has.
constexpr double kStepRampFloor = 10.0;
// CommandDown with Direction -1 starts its step ramp from this speed instead of StepMotorMinSpeed.
constexpr float kReversedDownThreshold = 10.0f;
constexpr int32_t kServoOutputMin = 50;
constexpr int32_t kServoOutputMax = 4000;
constexpr int kRelayCount = 8;
// RLY takes the highest relay index, not the number of bytes.
constexpr int32_t kRelayHighestIndex = 7;
// How the card's relay bytes switch.
constexpr uint8_t kRelayClosed = 8;
constexpr uint8_t kRelayOpen = 0;
constexpr int kMainsRelay = 1;
constexpr int kOilPumpRelay = 1;
constexpr int kFatigueDriveRelay = 2;
constexpr int kReliefValveRelay = 4;
struct ValvePair {
    int up;
    int down;
};
// In the order of HydraulicDrive.
constexpr std::array<ValvePair, 3> kDriveValves{{{2, 3}, {5, 6}, {7, 8}}};

const char* const kSwitchKeys[10] = {"Up_SwitchValue",        "Down_SwitchValue",  "Stop_SwitchValue",
                                     "Test_SwitchValue",      "Upper_SwitchValue", "UpperUp_SwitchValue",
                                     "UpperDown_SwitchValue", "Low_SwitchValue",   "LowUp_SwitchValue",
                                     "LowDown_SwitchValue"};
constexpr int kSwitchDefaults[10] = {1, 2, 0, 3, 4, 5, 6, 8, 9, 10};
constexpr PendantCode kSwitchCodes[10] = {PendantCode::Up,        PendantCode::Down,  PendantCode::Stop,
                                          PendantCode::Test,      PendantCode::Upper, PendantCode::UpperUp,
                                          PendantCode::UpperDown, PendantCode::Low,   PendantCode::LowUp,
                                          PendantCode::LowDown};

ControlMode controlModeFrom(int value) {
    switch (value) {
        case 1:
            return ControlMode::PidServo;
        case 2:
            return ControlMode::StepMotor;
        // An unknown mode drives the motor directly, as the default does.
        default:
            return ControlMode::Direct;
    }
}

}  // namespace

TMotor::TMotor(const QString& applicationFolder, int cardIndex, const CardDriver& driver, CardSlot* slot,
               QObject* parent)
    : QObject(parent), TPassage(applicationFolder, cardIndex, driver, slot) {
    LoadMotorConfig();
}

TMotor::~TMotor() {
    m_pidEnabled.store(false, std::memory_order_relaxed);
    m_rampEnabled.store(false, std::memory_order_relaxed);
    for (QTimer* t : {m_pidTimer, m_rampTimer, m_pendantTimer, m_limitTimer})
        if (t) t->stop();
}

void TMotor::LoadMotorConfig() {
    const ProfileSnapshot ini = ProfileFile(channelConfigPath()).snapshot();
    const QString motor = QStringLiteral("Motor");
    m_controlMode = controlModeFrom(ini.readInt(motor, QStringLiteral("ControlMode"), 0));
    setState(MotionState::Stopped);
    m_direction = directionFrom(ini.readInt(motor, QStringLiteral("Direction"), 1));
    m_manualControl = ini.readBool(motor, QStringLiteral("ManualControl"), false);
    m_stepMotorSpeed = ini.readFloat(motor, QStringLiteral("StepMotorSpeed"), 1.0f);
    // A zero divisor would send an infinite rate to the card.
    if (m_stepMotorSpeed == 0.0f) m_stepMotorSpeed = 1.0f;
    m_stepMotorMinSpeed = ini.readFloat(motor, QStringLiteral("StepMotorMinSpeed"), 1.0f);
    for (size_t i = 0; i < m_switchValues.size(); ++i)
        m_switchValues[i] = ini.readInt(motor, QLatin1String(kSwitchKeys[i]), kSwitchDefaults[i]);
    m_rampSpeed.store(0.0f, std::memory_order_relaxed);
    m_rampLength = 30;
    ClearRelays();

    if (m_controlMode == ControlMode::PidServo) {
        const QString pid = QStringLiteral("PID");
        auto gain = [&](const char* key) { return ini.readInt(pid, QLatin1String(key), 0) / 1000.0; };
        {
            std::lock_guard lock(m_servoMutex);
            m_servo = ServoBlock{};
            m_servo.loadKp = gain("Load_P");
            m_servo.loadKi = gain("Load_I");
            m_servo.loadKd = gain("Load_D");
            m_servo.dispKp = gain("Displacement_P");
            m_servo.dispKi = gain("Displacement_I");
            m_servo.dispKd = gain("Displacement_D");
            m_servo.upper = ini.readInt(pid, QStringLiteral("upper"), 500);
            m_servo.low = ini.readInt(pid, QStringLiteral("Low"), -500);
            m_servo.valveZero = ini.readInt(pid, QStringLiteral("FAPIAN"), 2048);
            clearServoLocked();
            m_servo.pidMode = 1;
        }
        StartOutput();
        m_pidTimer = new QTimer(this);
        m_pidTimer->setTimerType(Qt::PreciseTimer);
        m_pidTimer->setInterval(kPidInterval_ms);
        connect(m_pidTimer, &QTimer::timeout, this, &TMotor::PidTick);
    } else if (m_controlMode == ControlMode::StepMotor) {
        m_rampCounter.store(1, std::memory_order_relaxed);
        m_rampTimer = new QTimer(this);
        m_rampTimer->setInterval(kStepRampInterval_ms);
        connect(m_rampTimer, &QTimer::timeout, this, &TMotor::StepRampTick);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Channel values of the card; a slot without its channels (tests) reads as unloaded and not tripped.

bool TMotor::upBlocked() const {
    return m_slot && m_slot->load && m_slot->load->blocksUp();
}
bool TMotor::downBlocked() const {
    return m_slot && m_slot->load && m_slot->load->blocksDown();
}
bool TMotor::loadDisarmed() const {
    return m_slot && m_slot->load && !m_slot->load->armed();
}
float TMotor::currentDisplacement() const {
    return m_slot && m_slot->displacement ? m_slot->displacement->displacement() : 0.0f;
}
float TMotor::currentLoad() const {
    return m_slot && m_slot->load ? m_slot->load->load() : 0.0f;
}

void TMotor::notifyState() {
    if (WindowTarget* t = m_stateTarget.load(std::memory_order_acquire)) t->send(kMsgMotorState);
}

// ---------------------------------------------------------------------------------------------------------
// Timers. The enabled flags say what was asked last; the timer itself is switched on the owner thread, which
// then follows the flag as it stands, so requests from several threads end in the last one asked.

void TMotor::syncPidTimer() {
    if (!m_pidTimer) return;
    if (m_pidEnabled.load(std::memory_order_relaxed))
        m_pidTimer->start();
    else
        m_pidTimer->stop();
}

void TMotor::syncRampTimer() {
    if (!m_rampTimer) return;
    if (m_rampEnabled.load(std::memory_order_relaxed))
        m_rampTimer->start();  // restarts a running timer: a new ramp begins a full interval from now
    else
        m_rampTimer->stop();
}

void TMotor::startPidTimer() {
    if (!m_pidTimer) return;
    m_pidEnabled.store(true, std::memory_order_relaxed);
    m_courier.post([this] { syncPidTimer(); });
}

void TMotor::startRampTimer() {
    if (!m_rampTimer) return;
    m_rampEnabled.store(true, std::memory_order_relaxed);
    m_courier.post([this] { syncRampTimer(); });
}

void TMotor::stopRampTimer() {
    if (!m_rampTimer) return;
    m_rampEnabled.store(false, std::memory_order_relaxed);
    m_courier.post([this] { syncRampTimer(); });
}

// ---------------------------------------------------------------------------------------------------------
// Motion commands

void TMotor::stepStart(float threshold) {
    const float speed = m_speed.load(std::memory_order_relaxed);
    if (speed > threshold) {
        m_rampCounter.store(1, std::memory_order_relaxed);
        m_rampSpeed.store(threshold, std::memory_order_relaxed);
        m_driver.setRate(m_cardIndex, threshold / m_stepMotorSpeed);
        startRampTimer();
    } else {
        // A ramp still running would overwrite the rate sent here with its own.
        stopRampTimer();
        m_driver.setRate(m_cardIndex, speed / m_stepMotorSpeed);
    }
}

// The servo ramps in the sense the crosshead was sent; a reversed machine counts its displacement the other
// way.
float TMotor::servoRampRate(MotionState s, float speed_mm_per_min) const {
    const float sense = m_direction == -1 ? -1.0f : 1.0f;
    return s == MotionState::Up ? sense * speed_mm_per_min : -sense * speed_mm_per_min;
}

bool TMotor::CommandUp() {
    {
        std::lock_guard lock(m_commandMutex);
        const MotionState s = state();
        if (s == MotionState::Up) return true;
        if (s == MotionState::AtUpperLimit) return false;
        if (upBlocked()) {
            setState(MotionState::BlockedByOverload);
            return false;
        }
        setState(MotionState::Up);
        const float speed = m_speed.load(std::memory_order_relaxed);
        const bool reversed = m_direction == -1;
        switch (m_controlMode) {
            case ControlMode::Direct:
                m_driver.setRate(m_cardIndex, speed);
                reversed ? m_driver.moveDown(m_cardIndex) : m_driver.moveUp(m_cardIndex);
                break;
            case ControlMode::PidServo:
                RampDisplacement(servoRampRate(MotionState::Up, speed));
                break;
            case ControlMode::StepMotor:
                stepStart(m_stepMotorMinSpeed);
                reversed ? m_driver.moveDown(m_cardIndex) : m_driver.moveUp(m_cardIndex);
                break;
        }
    }
    notifyState();
    return true;
}

bool TMotor::CommandDown() {
    {
        std::lock_guard lock(m_commandMutex);
        const MotionState s = state();
        if (s == MotionState::Down) return true;
        if (s == MotionState::AtLowerLimit) return false;
        if (downBlocked()) {
            setState(MotionState::BlockedByOverload);
            return false;
        }
        setState(MotionState::Down);
        const float speed = m_speed.load(std::memory_order_relaxed);
        const bool reversed = m_direction == -1;
        switch (m_controlMode) {
            case ControlMode::Direct:
                m_driver.setRate(m_cardIndex, speed);
                reversed ? m_driver.moveUp(m_cardIndex) : m_driver.moveDown(m_cardIndex);
                break;
            case ControlMode::PidServo:
                RampDisplacement(servoRampRate(MotionState::Down, speed));
                break;
            case ControlMode::StepMotor:
                stepStart(reversed ? kReversedDownThreshold : m_stepMotorMinSpeed);
                reversed ? m_driver.moveUp(m_cardIndex) : m_driver.moveDown(m_cardIndex);
                break;
        }
    }
    notifyState();
    return true;
}

void TMotor::CommandStop() {
    CommandStopIf([] { return true; });
}

bool TMotor::CommandStopIf(const std::function<bool()>& stillDue) {
    {
        std::lock_guard lock(m_commandMutex);
        if (!stillDue()) return false;
        setState(MotionState::Stopped);
        switch (m_controlMode) {
            case ControlMode::Direct:
                m_driver.stop(m_cardIndex);
                break;
            case ControlMode::StepMotor:
                // Nothing is left to ramp; the next start begins a ramp of its own.
                stopRampTimer();
                m_driver.stop(m_cardIndex);
                break;
            case ControlMode::PidServo:
                HoldDisplacement(currentDisplacement());
                break;
        }
    }
    notifyState();
    return true;
}

bool TMotor::MoveDirection(int dir) {
    std::lock_guard lock(m_commandMutex);
    const int d = (dir > 0 ? 1 : dir < 0 ? -1 : 0) * m_direction;
    const float speed = m_speed.load(std::memory_order_relaxed);
    switch (m_controlMode) {
        case ControlMode::Direct:
            if (d == 0) {
                m_driver.stop(m_cardIndex);
                setState(MotionState::Stopped);
                return false;
            }
            m_driver.setRate(m_cardIndex, speed);
            if (d > 0) {
                m_driver.moveUp(m_cardIndex);
                setState(MotionState::Up);
            } else {
                m_driver.moveDown(m_cardIndex);
                setState(MotionState::Down);
            }
            return true;
        case ControlMode::PidServo:
            if (d > 0) {
                if (state() != MotionState::Up) {
                    setState(MotionState::Up);
                    RampDisplacement(-speed);
                }
                return true;
            }
            if (d < 0) {
                if (state() != MotionState::Down) {
                    setState(MotionState::Down);
                    RampDisplacement(speed);
                }
                return true;
            }
            setState(MotionState::Stopped);
            HoldDisplacement(currentDisplacement());
            return false;
        case ControlMode::StepMotor:
            return false;
    }
    return false;
}

void TMotor::SetSpeed(float speed_mm_per_min) {
    std::lock_guard lock(m_commandMutex);
    // The slow approach sets its speed at every sample. The speed the drive already has must restart
    // neither the step ramp nor the servo's ramp, or the crosshead never gets going; the direct drive only
    // takes the rate again.
    if (m_controlMode != ControlMode::Direct && m_speed.load(std::memory_order_relaxed) == speed_mm_per_min)
        return;
    m_speed.store(speed_mm_per_min, std::memory_order_relaxed);
    const MotionState s = state();
    const bool moving = s == MotionState::Up || s == MotionState::Down;
    switch (m_controlMode) {
        case ControlMode::Direct:
            if (moving) m_driver.setRate(m_cardIndex, speed_mm_per_min);
            break;
        case ControlMode::PidServo:
            if (moving) RampDisplacement(servoRampRate(s, speed_mm_per_min));
            break;
        case ControlMode::StepMotor:
            if (!moving) break;
            if (speed_mm_per_min > m_stepMotorMinSpeed) {
                // The new ramp starts from the ramp speed already reached.
                m_rampCounter.store(1, std::memory_order_relaxed);
                startRampTimer();
            } else {
                stopRampTimer();
                m_rampSpeed.store(speed_mm_per_min, std::memory_order_relaxed);
                m_driver.setRate(m_cardIndex, speed_mm_per_min / m_stepMotorSpeed);
            }
            break;
    }
}

void TMotor::StepRampTick() {
    std::lock_guard lock(m_commandMutex);
    // A stop asked from another thread may not have reached the timer yet.
    if (!m_rampEnabled.load(std::memory_order_relaxed)) return;
    const int n = m_rampCounter.load(std::memory_order_relaxed) + 1;
    m_rampCounter.store(n, std::memory_order_relaxed);
    const double c = m_rampSpeed.load(std::memory_order_relaxed);
    const double target = m_speed.load(std::memory_order_relaxed);
    const double quarter = std::numbers::pi / (2.0 * m_rampLength);
    double v = 0.0;
    if (c > target) {
        v = std::max(std::sin((m_rampLength - n) * quarter) * c, target);
    } else {
        v = std::sin(n * quarter) * target;
        v = std::max(v, c > kStepRampFloor ? c : kStepRampFloor);
    }
    v = std::min(v, kStepRampCeiling);
    const float rate = static_cast<float>(v);
    m_driver.setRate(m_cardIndex, rate / m_stepMotorSpeed);
    m_rampSpeed.store(rate, std::memory_order_relaxed);
    if (n >= m_rampLength) stopRampTimer();
}

// ---------------------------------------------------------------------------------------------------------
// PID servo (control mode 1)

void TMotor::clearServoLocked() {
    m_servo.setPoint = 0;
    m_servo.e0 = m_servo.e1 = m_servo.e2 = 0;
    m_servo.de = m_servo.d2e = 0;
    m_servo.output = 0;
    m_servo.p = m_servo.i = m_servo.d = 0;
    m_servo.accumulator = 0;
}

ServoBlock TMotor::servo() const {
    std::lock_guard lock(m_servoMutex);
    return m_servo;
}

void TMotor::SetValveSettings(int32_t valveZero, int32_t upper, int32_t low) {
    std::lock_guard lock(m_servoMutex);
    m_servo.valveZero = valveZero;
    m_servo.upper = upper;
    m_servo.low = low;
}

void TMotor::SetPidGain(PidGain gain, double value) {
    std::lock_guard lock(m_servoMutex);
    switch (gain) {
        case PidGain::DisplacementP:
            m_servo.dispKp = value;
            break;
        case PidGain::DisplacementI:
            m_servo.dispKi = value;
            break;
        case PidGain::DisplacementD:
            m_servo.dispKd = value;
            break;
        case PidGain::LoadP:
            m_servo.loadKp = value;
            break;
        case PidGain::LoadI:
            m_servo.loadKi = value;
            break;
        case PidGain::LoadD:
            m_servo.loadKd = value;
            break;
    }
}

void TMotor::StopPid() {
    if (!m_pidTimer) return;
    // The last output stays on the card: the valve holds where it was.
    m_pidEnabled.store(false, std::memory_order_relaxed);
    m_courier.post([this] { syncPidTimer(); });
}

void TMotor::RampDisplacement(float rate_mm_per_min) {
    if (m_controlMode != ControlMode::PidServo) return;
    StopPid();
    const float start = currentDisplacement();
    {
        std::lock_guard lock(m_servoMutex);
        clearServoLocked();
        m_servo.pidMode = 3;
        m_servo.rampStart = start;
        m_servo.rampRate = rate_mm_per_min * 100.0f;
    }
    if (m_slot) m_slot->record.restartMinuteClock();
    startPidTimer();
}

void TMotor::HoldDisplacement(float displacement_mm) {
    if (m_controlMode != ControlMode::PidServo) return;
    StopPid();
    {
        std::lock_guard lock(m_servoMutex);
        clearServoLocked();
        m_servo.pidMode = 1;
        m_servo.setPoint = static_cast<double>(displacement_mm) * 100.0;
    }
    startPidTimer();
}

void TMotor::HoldLoad(float load) {
    if (m_controlMode != ControlMode::PidServo) return;
    // Unlike the displacement holds, the timer keeps running: the servo switches over without a missed tick.
    {
        std::lock_guard lock(m_servoMutex);
        clearServoLocked();
        m_servo.pidMode = 2;
        m_servo.setPoint = load;
    }
    startPidTimer();
}

int32_t TMotor::PidStep(double measured) {
    std::lock_guard lock(m_servoMutex);
    return pidStepLocked(measured);
}

int32_t TMotor::pidStepLocked(double measured) {
    ServoBlock& s = m_servo;
    s.e2 = s.e1;
    s.e1 = s.e0;
    s.e0 = static_cast<float>(s.setPoint - measured);
    s.de = s.e0 - s.e1;
    s.d2e = s.e0 - 2.0f * s.e1 + s.e2;
    const bool loadMode = s.pidMode == 2;
    const double kp = loadMode ? s.loadKp : s.dispKp;
    const double ki = loadMode ? s.loadKi : s.dispKi;
    const double kd = loadMode ? s.loadKd : s.dispKd;
    s.p = static_cast<float>(kp * s.e0);
    s.i = static_cast<float>(ki * s.de);
    s.d = static_cast<float>(kd * s.d2e);
    // Rounded to the nearest integer (ties to even) and limited in double, so that no sum overflows 32 bits;
    // a non-finite sum (a wild measurement) ends at the upper limit.
    double acc = std::nearbyint(double(s.p) + double(s.i) + double(s.d)) + s.accumulator;
    if (!(acc <= s.upper)) acc = s.upper;
    if (acc < s.low) acc = s.low;
    s.accumulator = static_cast<int32_t>(acc);
    return loadMode ? -s.accumulator : s.accumulator;
}

void TMotor::PidTick() {
    // A stop asked from another thread may not have reached the timer yet.
    if (!m_pidEnabled.load(std::memory_order_relaxed)) return;
    const double displacement = currentDisplacement();
    const double load = currentLoad();
    const MotionState motion = state();
    int64_t out = 0;
    {
        std::lock_guard lock(m_servoMutex);
        const int64_t zero = m_servo.valveZero;
        switch (m_servo.pidMode) {
            case 2:
                out = zero + pidStepLocked(load);
                break;
            case 3: {
                const float minutes =
                    m_slot ? ElapsedMinutes(m_slot->record.startTickMs.load(std::memory_order_relaxed))
                           : 0.0f;
                m_servo.setPoint = static_cast<double>(m_servo.rampRate) * minutes;
                out = zero + pidStepLocked((displacement - m_servo.rampStart) * 100.0);
                // The valve never drives against the direction the crosshead was sent.
                if (motion == MotionState::Up) out = std::max(out, zero);
                if (motion == MotionState::Down) out = std::min(out, zero);
                break;
            }
            default:
                out = zero + pidStepLocked(displacement * 100.0);
                break;
        }
        out = std::clamp<int64_t>(out, kServoOutputMin, kServoOutputMax);
        m_servo.output = static_cast<uint16_t>(out);
    }
    m_driver.servoData(m_cardIndex, static_cast<uint16_t>(out));
}

void TMotor::SetServoOutput(int32_t value) {
    if (m_manualOutput.exchange(value, std::memory_order_relaxed) == value) return;
    m_driver.servoData(m_cardIndex, static_cast<uint16_t>(value));
}

void TMotor::StartOutput() {
    m_driver.daStart(m_cardIndex);
}

// ---------------------------------------------------------------------------------------------------------
// Relays. The lock is held across RLY so that the card always ends with the bytes stored last.

void TMotor::writeRelaysLocked() {
    std::array<uint8_t, kRelayCount> bytes = m_relays;
    m_driver.rly(m_cardIndex, bytes.data(), kRelayHighestIndex);
}

void TMotor::SetRelay(int position, uint8_t value) {
    if (position < 1 || position > kRelayCount) return;
    std::lock_guard lock(m_relayMutex);
    m_relays[static_cast<size_t>(position - 1)] = value;
    writeRelaysLocked();
}

void TMotor::ClearRelays() {
    std::lock_guard lock(m_relayMutex);
    m_relays.fill(0);
    writeRelaysLocked();
}

uint8_t TMotor::GetRelay(int position) const {
    if (position < 1 || position > kRelayCount) return 0;
    std::lock_guard lock(m_relayMutex);
    return m_relays[static_cast<size_t>(position - 1)];
}

void TMotor::setRelayClosed(int position, bool closed) {
    SetRelay(position, closed ? kRelayClosed : kRelayOpen);
}

bool TMotor::relayClosed(int position) const {
    return GetRelay(position) == kRelayClosed;
}

void TMotor::setMainsPower(bool on) {
    setRelayClosed(kMainsRelay, on);
}
bool TMotor::mainsPowerOn() const {
    return relayClosed(kMainsRelay);
}
void TMotor::setOilPump(bool on) {
    setRelayClosed(kOilPumpRelay, on);
}
bool TMotor::oilPumpOn() const {
    return relayClosed(kOilPumpRelay);
}
void TMotor::setFatigueDrive(bool on) {
    setRelayClosed(kFatigueDriveRelay, on);
}
bool TMotor::fatigueDriveOn() const {
    return relayClosed(kFatigueDriveRelay);
}
void TMotor::setReliefValve(bool on) {
    setRelayClosed(kReliefValveRelay, on);
}
bool TMotor::reliefValveOn() const {
    return relayClosed(kReliefValveRelay);
}

void TMotor::moveHydraulicDrive(HydraulicDrive drive, CylinderMotion motion) {
    const ValvePair valves = kDriveValves[static_cast<size_t>(drive)];
    std::lock_guard lock(m_relayMutex);
    m_relays[static_cast<size_t>(valves.up - 1)] = motion == CylinderMotion::Up ? kRelayClosed : kRelayOpen;
    m_relays[static_cast<size_t>(valves.down - 1)] =
        motion == CylinderMotion::Down ? kRelayClosed : kRelayOpen;
    writeRelaysLocked();
}

CylinderMotion TMotor::hydraulicDriveMotion(HydraulicDrive drive) const {
    const ValvePair valves = kDriveValves[static_cast<size_t>(drive)];
    if (relayClosed(valves.up)) return CylinderMotion::Up;
    if (relayClosed(valves.down)) return CylinderMotion::Down;
    return CylinderMotion::Stop;
}

// ---------------------------------------------------------------------------------------------------------
// Operator box and limit switches

int TMotor::MapInput(uint8_t input) const {
    for (size_t i = 0; i < m_switchValues.size(); ++i)
        if (m_switchValues[i] == input) return static_cast<int>(kSwitchCodes[i]);
    return -1;
}

void TMotor::StartPendantMonitor() {
    m_courier.post([this] {
        if (!m_pendantTimer) {
            m_pendantTimer = new QTimer(this);
            m_pendantTimer->setInterval(kMonitorInterval_ms);
            connect(m_pendantTimer, &QTimer::timeout, this, &TMotor::PendantTick);
        }
        m_pendantTimer->start();
    });
}

void TMotor::StartLimitMonitor() {
    m_courier.post([this] {
        if (!m_limitTimer) {
            m_limitTimer = new QTimer(this);
            m_limitTimer->setInterval(kMonitorInterval_ms);
            connect(m_limitTimer, &QTimer::timeout, this, &TMotor::LimitTick);
        }
        m_limitTimer->start();
    });
}

// The latch makes a held key one command: pressing issues it and clears the latch, the release (Stop)
// stops the crosshead and sets the latch again. The states written after a command stand even when the
// command itself was refused, as the control panel expects.
void TMotor::PendantTick() {
    if (pendantLatch() == PendantLatch::Ignored) return;
    const uint8_t input = m_driver.getOutCommand(m_cardIndex);
    m_lastInput.store(input, std::memory_order_relaxed);
    const int code = MapInput(input);
    if (code < 0) return;

    const bool latched = pendantLatch() == PendantLatch::Armed;
    const MotionState s = state();
    // What follows the command (if any): the state to show and whether the latch is taken.
    auto finish = [this](MotionState next, bool takeLatch) {
        if (takeLatch) SetPendantLatch(PendantLatch::KeyTaken);
        setState(next);
        notifyState();
    };
    auto blocked = [&] { finish(MotionState::BlockedByOverload, true); };

    switch (static_cast<PendantCode>(code)) {
        case PendantCode::Stop:
            if (pendantLatch() == PendantLatch::KeyTaken) {
                CommandStop();
                setState(MotionState::Stopped);
                notifyState();
                SetPendantLatch(PendantLatch::Armed);
            }
            break;
        case PendantCode::Up:
            if (!latched) break;
            if (upBlocked()) {
                blocked();
            } else {
                CommandUp();
                finish(MotionState::Up, true);
            }
            break;
        case PendantCode::Down:
            if (!latched) break;
            if (downBlocked()) {
                blocked();
            } else {
                CommandDown();
                finish(MotionState::Down, true);
            }
            break;
        case PendantCode::Test:
            if (loadDisarmed() && latched)
                blocked();
            else if (s != MotionState::TestRequested)
                finish(MotionState::TestRequested, false);
            break;
        case PendantCode::Upper:
            if (s == MotionState::Up) {
                CommandStop();
                finish(MotionState::AtUpperLimit, false);
            }
            break;
        case PendantCode::UpperUp:
            if (upBlocked() && latched) {
                blocked();
            } else if (s == MotionState::AtUpperLimit && latched) {
                CommandUp();
                finish(MotionState::Up, true);
            }
            break;
        case PendantCode::UpperDown:
            if (s == MotionState::AtUpperLimit && latched) {
                CommandDown();
                finish(MotionState::Down, true);
            }
            break;
        case PendantCode::Low:
            if (s == MotionState::Down) {
                CommandStop();
                finish(MotionState::AtLowerLimit, false);
            }
            break;
        case PendantCode::LowUp:
            if (s == MotionState::AtLowerLimit && latched) {
                CommandUp();
                finish(MotionState::Up, true);
            }
            break;
        case PendantCode::LowDown:
            if (downBlocked() && latched) {
                blocked();
            } else if (s == MotionState::AtLowerLimit && latched) {
                CommandDown();
                finish(MotionState::Down, true);
            }
            break;
    }
}

void TMotor::LimitTick() {
    if (pendantLatch() == PendantLatch::Ignored) return;
    const uint8_t input = m_driver.getOutCommand(m_cardIndex);
    m_lastInput.store(input, std::memory_order_relaxed);
    const int limits = input & 0x03;
    const MotionState s = state();
    MotionState next;
    if (limits == 1 && s == MotionState::Up)
        next = MotionState::AtUpperLimit;
    else if (limits == 2 && s == MotionState::Down)
        next = MotionState::AtLowerLimit;
    else
        return;
    CommandStop();
    setState(next);
    SetPendantLatch(PendantLatch::KeyTaken);
    notifyState();
}

}  // namespace springtest
