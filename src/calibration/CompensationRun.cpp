#include "calibration/CompensationRun.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/NumberEntry.h"
#include "platform/NumberFormat.h"
#include "platform/Prompts.h"

namespace springtest {

namespace {

// Below this share of the full range the frame has not deflected as far as it will in a test, and a
// coefficient taken there is worth a second thought.
constexpr double kNearFullRange = 0.9;

CompensationOutcome refuse(CompensationResult result, const QString& message) {
    prompts().message(message);
    return {result, 0.0, message};
}

}  // namespace

CompensationOutcome applyCompensation(CardSlot& card, const QString& loadText,
                                      const QString& deformationText) {
    if (loadText.trimmed().isEmpty() || deformationText.trimmed().isEmpty())
        return refuse(CompensationResult::ValueMissing, kCompensationValuesMissing);

    QString error;
    const std::optional<double> load = readFloat(loadText, &error);
    if (!load) return refuse(CompensationResult::NotANumber, error);
    const std::optional<double> deformation = readFloat(deformationText, &error);
    if (!deformation) return refuse(CompensationResult::NotANumber, error);
    if (*load == 0.0) return refuse(CompensationResult::ZeroLoad, kCompensationZeroLoad);

    const double coefficient = *deformation / *load;
    if (compensationAsksToContinue(card) &&
        !prompts().question(kCompensationBelowRangeQuestion, kPromptCaption, PromptIcon::Stop))
        return {CompensationResult::Declined, coefficient, {}};

    if (!card.displacement->SetCompensation(static_cast<float>(coefficient), &error)) {
        prompts().message(error, kPromptCaption, PromptIcon::Warning);
        return {CompensationResult::NotWritten, coefficient, error};
    }
    return {CompensationResult::Stored, coefficient, {}};
}

bool compensationAsksToContinue(const CardSlot& card) {
    const double fullRange = card.load ? card.load->fullRange() : 0.0;
    return kNearFullRange * fullRange > card.record.load.load(std::memory_order_relaxed);
}

CompensationReadings compensationReadings(const CardSlot& card) {
    const int loadDecimals = card.load ? card.load->decimals() : 0;
    const int displacementDecimals = card.displacement ? card.displacement->decimals() : 0;
    return {FormatByDecimals(loadDecimals, card.record.load.load(std::memory_order_relaxed)),
            FormatByDecimals(displacementDecimals, card.record.displacement.load(std::memory_order_relaxed))};
}

}  // namespace springtest

namespace springtest {

CompensationRun::CompensationRun(CardSlot& card, Settings settings, TimerClock& clock)
    : m_card(card),
      m_settings(settings),
      m_timer(
          std::chrono::milliseconds(1), [this] { Tick(); }, clock) {
    m_fullRange = card.load->fullRange();
    m_target = settings.targetLoad > 0.0f ? settings.targetLoad : kDefaultTargetShare * m_fullRange;
}

CompensationRun::~CompensationRun() {
    // A tick still under way ends before the timer's thread is joined, with every member it uses alive.
    if (running()) Stop();
    m_timer.stop();
}

bool CompensationRun::running() const {
    const Stage s = stage();
    return s != Stage::Idle && s != Stage::Done && s != Stage::Failed;
}

bool CompensationRun::Start() {
    m_measurement = {};
    m_holdTicks = 0;
    TMotor& motor = *m_card.motor;
    motor.SetSpeed(m_settings.approachSpeed_mm_per_min);
    if (!motor.CommandDown()) return false;
    m_stage.store(Stage::Approaching, std::memory_order_release);
    m_timer.start();
    return true;
}

void CompensationRun::Stop() {
    Stage s = stage();
    while (s != Stage::Done && s != Stage::Failed && !m_stage.compare_exchange_weak(s, Stage::Idle)) {
    }
    m_timer.stop();
    m_card.motor->CommandStop();
}

CompensationRun::Measurement CompensationRun::measurement() const {
    return stage() == Stage::Done ? m_measurement : Measurement{};
}

bool CompensationRun::advance(Stage from, Stage to) {
    return m_stage.compare_exchange_strong(from, to, std::memory_order_acq_rel);
}

void CompensationRun::fail(Stage from) {
    if (!advance(from, Stage::Failed)) return;
    m_timer.stop();
    m_card.motor->CommandStop();
}

void CompensationRun::holdTick(Stage from, Stage next) {
    ++m_holdTicks;
    if (m_holdTicks <= kSettleTicks) return;
    m_loadSum += m_card.record.load.load(std::memory_order_relaxed);
    m_pulseSum += m_card.displacement->pulseCount();
    if (m_holdTicks < kSettleTicks + kAverageTicks) return;
    const double load = m_loadSum / kAverageTicks;
    const double pulses = m_pulseSum / kAverageTicks;
    m_holdTicks = 0;
    m_loadSum = m_pulseSum = 0.0;
    TMotor& motor = *m_card.motor;
    if (next == Stage::Loading) {
        m_measurement.seatLoad = load;
        m_seatPulses = pulses;
        if (!advance(from, next)) return;
        m_card.displacement->ClearDisplacement();
        motor.SetSpeed(m_settings.loadingSpeed_mm_per_min);
        if (!motor.CommandDown()) return fail(next);
        // Stopped while the command went out: the stop wins.
        if (stage() != next) motor.CommandStop();
    } else {
        m_measurement.fullLoad = load;
        // The pulses grow as the crosshead rises; the frame's yield lets it come down.
        const double direction = m_card.displacement->Direction();
        m_measurement.deformation_mm =
            (m_seatPulses - pulses) * m_card.displacement->coefficient() * direction;
        if (advance(from, next)) m_timer.stop();
    }
}

void CompensationRun::Tick() {
    TMotor& motor = *m_card.motor;
    const float load = m_card.record.load.load(std::memory_order_relaxed);
    const Stage stage = m_stage.load(std::memory_order_acquire);
    // A limit switch or a load trip that stopped the crosshead on the way ends the measurement.
    const bool moving = motor.state() == MotionState::Down;
    switch (stage) {
        case Stage::Approaching:
            if (!moving) return fail(stage);
            if (load < kContactShare * m_fullRange) return;
            if (advance(stage, Stage::Seating)) motor.SetSpeed(m_settings.loadingSpeed_mm_per_min);
            return;
        case Stage::Seating:
            if (!moving) return fail(stage);
            if (load < kSeatShare * m_fullRange) return;
            m_holdTicks = 0;
            if (advance(stage, Stage::SeatHold)) motor.CommandStop();
            return;
        case Stage::SeatHold:
            return holdTick(stage, Stage::Loading);
        case Stage::Loading:
            if (!moving) return fail(stage);
            if (load < m_target) return;
            m_holdTicks = 0;
            if (advance(stage, Stage::FullHold)) motor.CommandStop();
            return;
        case Stage::FullHold:
            return holdTick(stage, Stage::Done);
        case Stage::Idle:
        case Stage::Done:
        case Stage::Failed:
            return;
    }
}

}  // namespace springtest
