#include "calibration/PlatenAlignment.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"

#include <QMetaObject>
#include <QTimer>

#include <cmath>

namespace springtest {

PlatenAlignment::PlatenAlignment(CardSlot& card, QObject* parent, TimerClock& clock)
    : QObject(parent),
      m_card(card),
      m_servoTimer(new QTimer(this)),
      m_directTimer(
          std::chrono::milliseconds(1), [this] { AutoAlignTick(); }, clock) {
    m_servoTimer->setInterval(100);
    connect(m_servoTimer, &QTimer::timeout, this, &PlatenAlignment::ServoTick);
}

PlatenAlignment::~PlatenAlignment() {
    // Leaving the crosshead running toward the platen with nothing watching for the contact is not an option.
    // A tick still under way ends before the timer's thread is joined, with every member it uses alive.
    if (m_stage.exchange(AlignmentStage::Idle) != AlignmentStage::Idle) m_card.motor->CommandStop();
    m_directTimer.stop();
}

bool PlatenAlignment::servoDriven() const {
    return m_card.motor->controlMode() == ControlMode::PidServo;
}

bool PlatenAlignment::stalled() const {
    if (m_turning.load()) return false;
    const AlignmentStage stage = m_stage.load();
    const MotionState s = m_card.motor->state();
    // A tick that changed the stage meanwhile makes the state just read meaningless.
    if (m_turning.load() || m_stage.load() != stage) return false;
    switch (stage) {
        case AlignmentStage::Approaching:
            // The servo closes the platens holding a load, whatever the state says.
            return !servoDriven() && s != MotionState::Down;
        case AlignmentStage::Returning:
            return s != MotionState::Up;
        case AlignmentStage::Idle:
            break;
    }
    return false;
}

PlatenAlignment::StartResult PlatenAlignment::Start(float returnHeight_mm) {
    m_returnHeight_mm.store(returnHeight_mm, std::memory_order_relaxed);
    m_zeroSeen.store(false);
    TMotor& motor = *m_card.motor;
    if (servoDriven()) {
        m_stage.store(AlignmentStage::Approaching, std::memory_order_release);
        m_servoTimer->start();
        const float range = m_card.load->GetGearRecord(m_card.load->currentGear()).range;
        motor.HoldLoad(kServoHoldShare * range);
        return StartResult::Started;
    }
    if (!motor.CommandDown()) return StartResult::DownRefused;
    motor.SetSpeed(kApproachSpeed_mm_per_min);
    m_stage.store(AlignmentStage::Approaching, std::memory_order_release);
    m_directTimer.start();
    return StartResult::Started;
}

void PlatenAlignment::Stop() {
    m_stage.store(AlignmentStage::Idle, std::memory_order_release);
    m_directTimer.stop();
    m_servoTimer->stop();
    m_card.motor->CommandStop();
    emit finished();
}

void PlatenAlignment::zeroAtContact() {
    TDisplacement& displacement = *m_card.displacement;
    // By the time the contact shows, the crosshead has pressed on and the frame yields under the contact
    // load: the crosshead stands that far below where the platens met. The compensated reading tells the
    // platens' gap, so it is made to read zero here, not the encoder alone; otherwise the whole yield at
    // the contact load would stay in every later reading once the load is off.
    const float frame_mm = displacement.compensation() * m_card.load->load();
    if (frame_mm == 0.0f)
        displacement.ClearDisplacement();
    else
        displacement.SetDisplacement(-frame_mm);
}

bool PlatenAlignment::contact() const {
    const Tload& load = *m_card.load;
    const float range = load.GetGearRecord(load.currentGear()).range;
    const float measured = m_card.record.load.load(std::memory_order_relaxed);
    return measured >= kContactShare * range || std::abs(load.currentCount()) > kContactCount;
}

bool PlatenAlignment::returnReached() {
    const float threshold = m_returnHeight_mm.load(std::memory_order_relaxed) - kReturnTolerance_mm;
    const float displacement = m_card.record.displacement.load(std::memory_order_relaxed);
    // A return height at the contact itself is reached as soon as the displacement is zero, whatever the
    // record still shows.
    if (threshold <= 0.0f) return true;
    if (displacement < threshold) m_zeroSeen.store(true);
    return m_zeroSeen.load() && displacement >= threshold;
}

void PlatenAlignment::AutoAlignTick() {
    tick(true);
}

void PlatenAlignment::ServoTick() {
    tick(false);
}

void PlatenAlignment::tick(bool slowApproachOnInput) {
    switch (m_stage.load(std::memory_order_acquire)) {
        case AlignmentStage::Approaching:
            if (contact()) {
                turnAtContact();
            } else if (slowApproachOnInput && m_card.motor->lastInput() == kSlowApproachInput) {
                m_card.motor->SetSpeed(kSlowApproachSpeed_mm_per_min);
            }
            break;
        case AlignmentStage::Returning:
            if (returnReached()) endAtReturnHeight(!slowApproachOnInput);
            break;
        case AlignmentStage::Idle:
            break;
    }
}

void PlatenAlignment::turnAtContact() {
    TMotor& motor = *m_card.motor;
    m_turning.store(true);
    AlignmentStage approaching = AlignmentStage::Approaching;
    if (m_stage.compare_exchange_strong(approaching, AlignmentStage::Returning)) {
        m_zeroSeen.store(false);
        motor.CommandStop();
        if (stillIn(AlignmentStage::Returning)) {
            zeroAtContact();
            motor.CommandUp();
            motor.SetSpeed(kReturnSpeed_mm_per_min);
            // Stopped while the command went out: the stop wins.
            if (!stillIn(AlignmentStage::Returning)) motor.CommandStop();
        }
    }
    m_turning.store(false);
}

void PlatenAlignment::endAtReturnHeight(bool onOwnerThread) {
    AlignmentStage returning = AlignmentStage::Returning;
    if (!m_stage.compare_exchange_strong(returning, AlignmentStage::Idle)) return;
    m_directTimer.stop();
    m_card.motor->CommandStop();
    if (onOwnerThread) {
        m_servoTimer->stop();
        emit finished();
    } else {
        // From the 1 ms timer's thread the owner hears of the end through its event loop.
        QMetaObject::invokeMethod(this, &PlatenAlignment::finished, Qt::QueuedConnection);
    }
}

}  // namespace springtest
